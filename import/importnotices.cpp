#include "import/importnotices.h"

#include "controls/prompts.h"
#include "import/readers/importfolders.h"

void ImportNotices::placedAtMaxDepth(QWidget *parent, qsizetype count)
{
    if (count <= 0)
        return;
    Prompts::instance().inform(
        parent, QMessageBox::Information, tr("Import Favorites"),
        tr("%n bookmark(s) lie in folders nested deeper than %1 levels; they will be placed in "
           "the folder at level %1.", nullptr, int(std::min<qsizetype>(count, INT_MAX)))
            .arg(ImportFolders::MaxDepth));
}

void ImportNotices::afterImport(QWidget *parent, const QStringList &failures)
{
    if (failures.isEmpty())
        return;
    Prompts::instance().inform(parent, QMessageBox::Warning, tr("Import Favorites"),
                               tr("The bookmarks were imported, but:") + QLatin1String("\n\n")
                                   + failures.join(QLatin1Char('\n')));
}
