#pragma once

#include <QByteArrayView>
#include <QString>

// Text of a bookmark file as a browser shows it: the character references
// that exporters write (&amp; &lt; &gt; &quot; &#39; &apos; &nbsp; and numeric
// ones) become their characters. A reference must end in ';'; anything else
// that starts with '&' stays as it stands, so a raw '&' of an address survives.
namespace HtmlText {

QString decode(QByteArrayView utf8);

} // namespace HtmlText
