#include "store/bookmarkcipher.h"

#include <array>

namespace {

constexpr char Key[] = "q3v.w9x&pt7k@;mod52h";
constexpr qsizetype KeyLength = sizeof(Key) - 1;

// The key laid end to end, so that the loops over ordinary values need no
// division; longer values take the key by modulo.
constexpr qsizetype RepeatedLength = 64 * KeyLength;
constexpr auto RepeatedKey = [] {
    std::array<uchar, RepeatedLength> repeated{};
    for (qsizetype i = 0; i < RepeatedLength; ++i)
        repeated[i] = uchar(Key[i % KeyLength]);
    return repeated;
}();

// Calls apply(i, key byte of position i) for every i in [from, to).
template<typename Apply>
inline void forEachKeyByte(qsizetype from, qsizetype to, Apply apply)
{
    if (to <= RepeatedLength) {
        for (qsizetype i = from; i < to; ++i)
            apply(i, RepeatedKey[i]);
    } else {
        for (qsizetype i = from; i < to; ++i)
            apply(i, uchar(Key[i % KeyLength]));
    }
}

// Sums above 255 wrap to 1..255, never to 0: v - 255 is v + 1 modulo 256.
// Written without branches so that the loops run on whole vectors of bytes.
inline uchar shift(uchar c, uchar k)
{
    return uchar(c + k + (c > 255 - k));
}

// Differences of 0 or less come back up by 255, that is down by 1 modulo 256.
inline uchar unshift(uchar c, uchar k)
{
    return uchar(c - k - (c <= k));
}

} // namespace

// Both directions build their result at its exact size in one pass: the store
// keeps the plain texts for its whole life, and loading runs this for every value.
QByteArray bookmarkCipherEncipher(QByteArrayView text)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text.toByteArray();
    const qsizetype h = n / 2;
    const qsizetype later = n - h; // the later half, which comes first
    const auto *in = reinterpret_cast<const uchar *>(text.data());
    QByteArray result(n, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(result.data());
    forEachKeyByte(0, later, [&](qsizetype i, uchar k) { out[i] = shift(in[h + i], k); });
    forEachKeyByte(later, n, [&](qsizetype i, uchar k) { out[i] = shift(in[i - later], k); });
    return result;
}

QByteArray bookmarkCipherDecipher(QByteArrayView text)
{
    const qsizetype n = text.size();
    if (n < 2)
        return text.toByteArray();
    const qsizetype h = n / 2;
    const qsizetype later = n - h;
    const auto *in = reinterpret_cast<const uchar *>(text.data());
    QByteArray result(n, Qt::Uninitialized);
    auto *out = reinterpret_cast<uchar *>(result.data());
    forEachKeyByte(0, later, [&](qsizetype i, uchar k) { out[h + i] = unshift(in[i], k); });
    forEachKeyByte(later, n, [&](qsizetype i, uchar k) { out[i - later] = unshift(in[i], k); });
    return result;
}
