#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Rules for text that goes into a stored value.
namespace StoredText {

// The first n characters, never splitting a surrogate pair (and so never a
// UTF-8 sequence once encoded).
QString leftCharacters(const QString &text, qsizetype n);

// UTF-8 bytes for one line of a stored value: NUL bytes dropped, and line feeds,
// which separate the lines, replaced by lineFeedStandIn.
QByteArray line(const QString &text, char lineFeedStandIn = ' ');

// The numeric value of the leading decimal digits (with an optional sign), as
// the C library reads it; saturates at the 32-bit limits, 0 when none.
int leadingInt(QByteArrayView text);

// Whether the text is exactly how a number between 0 and 2^31-1 is written:
// digits only, no leading zero.
bool isPlainNumber(QByteArrayView text);
// Its value when it is, in the same pass.
std::optional<int> plainNumber(QByteArrayView text);

} // namespace StoredText
