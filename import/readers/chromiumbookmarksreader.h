#pragma once

#include "import/readers/importreadresult.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// Reads the "Bookmarks" JSON file of a Chromium-family profile. The folders
// follow Chromium's own bookmark file: the bookmarks bar and the mobile
// bookmarks as folders named as the file names them, the other bookmarks at
// the top level. A bookmark without a title takes its address.
class ChromiumBookmarksReader final
{
    Q_DECLARE_TR_FUNCTIONS(ChromiumBookmarksReader)

public:
    static ImportReadResult readBookmarks(const QString &path, const QString &topLabel,
                                          const ReadProgress &progress = {});
    static ImportReadResult readBookmarksJson(const QByteArray &json, const QString &topLabel,
                                              const ReadProgress &progress = {});
};
