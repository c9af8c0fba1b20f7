#pragma once

#include "import/readers/importreadresult.h"

#include <QCoreApplication>
#include <QString>

// Reads the bookmarks of a Firefox profile from its "places.sqlite". The file
// (with its write-ahead log) is copied first and only the copy is opened, so a
// running Firefox's lock and data are never touched. Only moz_bookmarks and
// moz_places are read. The folders follow Firefox's own bookmark file: the
// menu's contents at the top level, the toolbar, "Other Bookmarks" and the
// mobile bookmarks as folders; tags, separators and "place:" queries are
// skipped, and a bookmark without a title takes its address.
class FirefoxPlacesReader final
{
    Q_DECLARE_TR_FUNCTIONS(FirefoxPlacesReader)

public:
    // Rows in Firefox's order; any read error gives the error and no rows.
    static ImportReadResult readPlaces(const QString &path, const QString &topLabel,
                                       const ReadProgress &progress = {});
};
