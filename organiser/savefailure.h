#pragma once

#include <QString>

class QWidget;
struct HiveError;

// The one warning shown when the bookmarks file refused a change.
namespace SaveFailure {

// what: the change that failed, as a sentence ("The bookmark could not be added.");
// why: what the file said when it refused.
void warn(QWidget *parent, const QString &what, const HiveError &why);

// The warning shown when a folder's bookmarks could not be read: none of them
// are shown then, rather than some as if they were all.
void warnUnread(QWidget *parent, const HiveError &why);

// The reason as a sentence for the person (disk full, read-only, locked), with
// the file's own words; empty when there is none.
QString reason(const HiveError &why);

} // namespace SaveFailure
