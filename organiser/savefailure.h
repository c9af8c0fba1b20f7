#pragma once

#include <QString>

class QWidget;

// The one warning shown when the bookmarks file refused a change.
namespace SaveFailure {

// what: the change that failed, as a sentence ("The bookmark could not be added.").
void warn(QWidget *parent, const QString &what);

} // namespace SaveFailure
