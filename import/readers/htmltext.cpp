#include "import/readers/htmltext.h"

#include <cstring>
#include <string_view>

namespace HtmlText {

namespace {

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// The character of a numeric reference's digits (after "&#"), or 0.
char32_t numeric(std::string_view digits)
{
    const bool hex = !digits.empty() && (digits.front() == 'x' || digits.front() == 'X');
    if (hex)
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 8)
        return 0;
    char32_t value = 0;
    for (const char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(digit);
    }
    // No NUL, no surrogate halves, nothing past Unicode: the reference stays text.
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return value;
}

char32_t named(std::string_view name)
{
    static constexpr struct
    {
        std::string_view name;
        char32_t character;
    } Names[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''},
                 {"nbsp", 0xA0}};
    for (const auto &entry : Names)
        if (entry.name == name)
            return entry.character;
    return 0;
}

} // namespace

QString decode(QByteArrayView utf8)
{
    const char *const begin = utf8.data();
    const char *const end = begin + utf8.size();
    const char *amp = utf8.isEmpty()
                          ? nullptr
                          : static_cast<const char *>(std::memchr(begin, '&', size_t(utf8.size())));
    if (!amp)
        return QString::fromUtf8(utf8);
    QByteArray out;
    out.reserve(utf8.size());
    const char *from = begin;
    while (amp) {
        // References are short: look for their ';' only a few bytes on.
        const char *limit = std::min(end, amp + 12);
        const char *semi = static_cast<const char *>(std::memchr(amp, ';', size_t(limit - amp)));
        char32_t c = 0;
        if (semi) {
            const std::string_view body(amp + 1, size_t(semi - amp - 1));
            c = !body.empty() && body.front() == '#' ? numeric(body.substr(1)) : named(body);
        }
        const char *next = amp + 1;
        if (c) {
            out.append(from, amp - from);
            appendUtf8(out, c);
            from = next = semi + 1;
        }
        amp = static_cast<const char *>(std::memchr(next, '&', size_t(end - next)));
    }
    out.append(from, end - from);
    return QString::fromUtf8(out);
}

} // namespace HtmlText
