#include "store/bookmarkcipher.h"

namespace {

constexpr char Key[] = "q3v.w9x&pt7k@;mod52h";
constexpr int KeyLength = sizeof(Key) - 1;

} // namespace

QByteArray bookmarkCipherEncipher(QByteArray text)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text;
    const qsizetype h = n / 2;
    QByteArray r = text.mid(h) + text.left(h);
    for (qsizetype i = 0; i < n; ++i) {
        int v = uchar(r[i]) + uchar(Key[i % KeyLength]);
        if (v > 255)
            v -= 255;
        r[i] = char(v);
    }
    return r;
}

QByteArray bookmarkCipherDecipher(QByteArray text)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text;
    for (qsizetype i = 0; i < n; ++i) {
        int v = uchar(text[i]) - uchar(Key[i % KeyLength]);
        if (v <= 0)
            v += 255;
        text[i] = char(v);
    }
    const qsizetype h = n / 2;
    return text.right(h) + text.left(n - h);
}
