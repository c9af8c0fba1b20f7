#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>

class BookmarkStore;
class QWidget;

// File > "Export Bookmarks...": asks where to write, writes every folder and
// bookmark of the store there, and says why when the file could not be written.
class BookmarkExport final
{
    Q_DECLARE_TR_FUNCTIONS(BookmarkExport)

public:
    // Returns the chosen file, or an empty text when the user cancelled.
    using FileChooser = std::function<QString(QWidget *parent, const QString &proposed)>;

    // Test seam; an empty chooser brings the file dialog back.
    static void setFileChooser(FileChooser chooser);

    // Returns whether a file was written.
    static bool run(QWidget *parent, BookmarkStore &store);
};
