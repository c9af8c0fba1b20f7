#pragma once

#include <QByteArray>

// The keyed byte-wise cipher of stored folder and bookmark values: the halves
// are swapped and each byte is shifted by its key byte, never producing NUL.
// For text without NUL bytes the two functions are exact inverses.
QByteArray bookmarkCipherEncipher(QByteArray text);
QByteArray bookmarkCipherDecipher(QByteArray text);
