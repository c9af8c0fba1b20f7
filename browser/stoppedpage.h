#pragma once

#include <QString>
#include <QUrl>

// Harbrow's own page in place of one whose render process crashed or was
// killed: says so, and offers to load the address again.
namespace StoppedPage {

QString title();
QString html(const QUrl &address);

} // namespace StoppedPage
