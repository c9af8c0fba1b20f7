#pragma once

#include <QtGlobal>

#include <string_view>

// Tokens and domains are looked up by this hash of their lower-case text.
inline quint32 filterHash(std::string_view text)
{
    quint32 hash = 2166136261u;
    for (const char c : text)
        hash = (hash ^ quint8(c)) * 16777619u;
    return hash;
}

// Letters, digits and % make up the tokens of an address and of a rule's pattern.
inline bool isTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '%'
        || (c >= 'A' && c <= 'Z');
}

inline char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}
