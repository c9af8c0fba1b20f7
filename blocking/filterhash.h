#pragma once

#include <QtGlobal>

#include <array>
#include <string_view>

// Tokens and domains are looked up by this hash of their lower-case text.
inline constexpr quint32 FilterHashSeed = 2166136261u;

inline quint32 filterHashStep(quint32 hash, char c)
{
    return (hash ^ quint8(c)) * 16777619u;
}

inline quint32 filterHash(std::string_view text)
{
    quint32 hash = FilterHashSeed;
    for (const char c : text)
        hash = filterHashStep(hash, c);
    return hash;
}

// Letters, digits and % make up the tokens of an address and of a rule's pattern.
inline constexpr std::array<bool, 256> TokenChars = [] {
    std::array<bool, 256> chars{};
    for (int c = 0; c < 256; ++c)
        chars[size_t(c)] = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '%'
            || (c >= 'A' && c <= 'Z');
    return chars;
}();

inline bool isTokenChar(char c)
{
    return TokenChars[quint8(c)];
}

inline char asciiLower(char c)
{
    return char(c + (quint8(c - 'A') < 26 ? 32 : 0));
}
