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
        said = tr("The disk that holds it is full.");
        break;
    case HiveError::ReadOnly:
        said = tr("The file is read-only.");
        break;
    case HiveError::Locked:
        said = tr("Another program has it locked.");
        break;
    case HiveError::Damaged:
        said = tr("The file is damaged and takes no more changes.");
        break;
    case HiveError::None:
    case HiveError::Other:
        break;
    }
    if (!why.text.isEmpty())
        said += (said.isEmpty() ? QString() : QStringLiteral(" "))
              + tr("(%1, code %2)").arg(why.text).arg(why.code);
    return said;
}

void warn(QWidget *parent, const QString &what, const HiveError &why)
{
    QString text = what + QLatin1Char(' ')
                 + tr("Your bookmarks file did not take this change, so it was not made.");
    const QString because = reason(why);
    if (!because.isEmpty())
        text += QLatin1Char(' ') + because;
    Prompts::instance().inform(parent, QMessageBox::Warning, tr("Harbrow"), text);
}

void warnUnread(QWidget *parent, const HiveError &why)
{
    QString text = tr("The bookmarks of this folder could not be read from your bookmarks file, "
                      "so none of them are shown. Choose the folder again to try once more.");
    const QString because = reason(why);
    if (!because.isEmpty())
        text += QLatin1Char(' ') + because;
    Prompts::instance().inform(parent, QMessageBox::Warning, tr("Harbrow"), text);
}

} // namespace SaveFailure
