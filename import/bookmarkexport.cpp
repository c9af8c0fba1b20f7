#include "import/bookmarkexport.h"

#include "controls/prompts.h"
#include "import/readers/bookmarkfilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace {

QString askForFile(QWidget *parent, const QString &proposed)
{
    return QFileDialog::getSaveFileName(parent, BookmarkExport::tr("Export Bookmarks"), proposed,
                                        BookmarkExport::tr("Bookmark files (*.html *.htm)"));
}

BookmarkExport::FileChooser &chooser()
{
    static BookmarkExport::FileChooser instance = askForFile;
    return instance;
}

} // namespace

void BookmarkExport::setFileChooser(FileChooser chooser)
{
    ::chooser() = chooser ? std::move(chooser) : FileChooser(askForFile);
}

bool BookmarkExport::run(QWidget *parent, BookmarkStore &store)
{
    const QString path = chooser()(parent, QDir::home().filePath(QStringLiteral("bookmarks.html")));
    if (path.isEmpty())
        return false;
    // Every bookmark and comment is the owner's alone, as in the hive: the
    // file is made 0600 before the writer, which keeps the mode it finds.
    QFile target(path);
    const bool made = !target.exists() && target.open(QIODevice::NewOnly | QIODevice::WriteOnly);
    target.close();
    target.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QString error = BookmarkFileWriter::exportBookmarks(store, path);
    if (error.isEmpty())
        return true;
    if (made)
        QFile::remove(path);
    Prompts::instance().inform(parent, QMessageBox::Warning, tr("Export Bookmarks"),
                               tr("The bookmarks could not be written to %1.\n\n%2")
                                   .arg(QDir::toNativeSeparators(path), error));
    return false;
}
