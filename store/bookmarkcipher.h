#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The keyed byte-wise cipher of stored folder and bookmark values: the halves
// are swapped and each byte is shifted by its key byte, never producing NUL.
// For text without NUL bytes the two functions are exact inverses.
QByteArray bookmarkCipherEncipher(QByteArrayView text);
QByteArray bookmarkCipherDecipher(QByteArrayView text);
