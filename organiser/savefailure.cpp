#include "organiser/savefailure.h"

#include "controls/prompts.h"

#include <QCoreApplication>

namespace SaveFailure {

void warn(QWidget *parent, const QString &what)
{
    Prompts::instance().inform(
        parent, QMessageBox::Warning, QCoreApplication::translate("SaveFailure", "Harbrow"),
        what + QLatin1Char(' ')
            + QCoreApplication::translate(
                "SaveFailure",
                "Your bookmarks file did not take this change, so it was not made. The file "
                "may be in use by another program, full or read-only."));
}

} // namespace SaveFailure
