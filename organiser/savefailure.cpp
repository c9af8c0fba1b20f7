#include "organiser/savefailure.h"

#include "controls/prompts.h"
#include "store/hive/hive.h"

#include <QCoreApplication>

namespace SaveFailure {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("SaveFailure", text);
}

} // namespace

QString reason(const HiveError &why)
{
    QString said;
    switch (why.kind) {
    case HiveError::Full:
        said = tr("The disk that holds your bookmarks file is full.");
        break;
    case HiveError::ReadOnly:
        said = tr("Your bookmarks file is read-only.");
        break;
    case HiveError::Locked:
        said = tr("Your bookmarks file is locked by another program.");
        break;
    case HiveError::Damaged:
        said = tr("Your bookmarks file is damaged, so it takes no more changes.");
        break;
    case HiveError::None:
    case HiveError::Other:
        said = tr("Your bookmarks file did not take this change.");
        break;
    }
    if (!why.text.isEmpty())
        said += QLatin1Char(' ') + tr("(%1, code %2)").arg(why.text).arg(why.code);
    return said;
}

void warn(QWidget *parent, const QString &what, const HiveError &why)
{
    Prompts::instance().inform(parent, QMessageBox::Warning, tr("Harbrow"),
                               what + QLatin1Char(' ') + reason(why) + QLatin1Char(' ')
                                   + tr("The change was not made."));
}

} // namespace SaveFailure
