#pragma once

#include "controls/hoverbutton.h"
#include "controls/prompts.h"
#include "import/importfavoritesdialog.h"
#include "../tests/ui/toplevelpage.h"
#include "store/bookmarkstore.h"

#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>

// What the import benchmarks share: the generated file of 100,000 bookmarks
// (gen_netscape.py 100000 42), a stand-in for the bookmarks page, and the
// import through the dialog as a person makes it.
namespace ImportBench {

inline constexpr int Bookmarks = 100000;

// A folder for the run's files, removed at its end.
inline QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

inline QString generator()
{
    const QString set = qEnvironmentVariable("HARBROW_GEN_NETSCAPE");
    return set.isEmpty() ? QStringLiteral(HARBROW_SOURCE_DIR "/../shared/bench/gen_netscape.py")
                         : set;
}

// The generated file, made once per run.
inline const QString &bookmarkFile()
{
    static const QString path = [] {
        const QString out = workDir().filePath(QStringLiteral("bookmarks.html"));
        QProcess python;
        python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        python.start(QStringLiteral("python3"),
                     {generator(), QString::number(Bookmarks), QStringLiteral("42"), out});
        if (!python.waitForFinished(300000) || python.exitCode() != 0)
            qFatal("cannot run %s", qPrintable(generator()));
        return out;
    }();
    return path;
}

// Stands in for the bookmarks page; a dialog that only fills its list needs no store.
class BenchPage final : public TopLevelPage
{
public:
    explicit BenchPage(BookmarkStore *store) : m_store(store) {}
    BookmarkStore &store() override { return *m_store; }

private:
    BookmarkStore *m_store;
};

// Chooses file with Browse on the bookmark-file tab, selects every row and
// imports them all, keeping the bookmarks already there.
inline void importWholeFile(ImportFavoritesDialog &dialog, const QString &file)
{
    ImportFavoritesDialog::setPathChooser(
        [file](QWidget *, ImportFavoritesDialog::Tab) { return file; });
    Prompts::instance().setAnswerAll(true, QMessageBox::No);
    dialog.tabBar()->setCurrentIndex(ImportFavoritesDialog::BookmarkFileTab);
    dialog.browseButton()->click();
    dialog.selectAllButton()->click();
    dialog.importButton()->click();
}

} // namespace ImportBench
