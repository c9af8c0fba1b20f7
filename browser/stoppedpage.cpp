#include "browser/stoppedpage.h"

#include <QCoreApplication>

namespace StoppedPage {

QString title()
{
    return QCoreApplication::translate("StoppedPage", "This page stopped");
}

QString html(const QUrl &address)
{
    const QString link = address.toString(QUrl::FullyEncoded).toHtmlEscaped();
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset='utf-8'><title>%1</title>"
                          "<style>body{font-family:sans-serif;margin:3em;color:#333}"
                          "a.button{display:inline-block;padding:.4em 1.2em;border:1px solid #888;"
                          "border-radius:4px;text-decoration:none;color:#000;background:#eee}"
                          "</style></head><body><h1>%1</h1><p>%2</p><p>%3</p>"
                          "<p><a id='reload' class='button' href='%4'>%5</a></p></body></html>")
        .arg(title().toHtmlEscaped(),
             QCoreApplication::translate("StoppedPage",
                                         "The program showing this page ended before its time. "
                                         "The rest of Harbrow goes on as before.")
                 .toHtmlEscaped(),
             address.toDisplayString().toHtmlEscaped(), link,
             QCoreApplication::translate("StoppedPage", "Reload").toHtmlEscaped());
}

} // namespace StoppedPage
