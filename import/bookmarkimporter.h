#pragma once

#include "import/readers/importfoldermaker.h"
#include "import/readers/importrow.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

class BookmarkStore;

// Puts imported rows into the store: each into its source folder's namesake
// (created when missing), its title cut to the stored length, its address
// whole, its comment as the bookmark's comment. The rows are written in chunks, each one
// transaction, so a crash keeps every chunk committed before it and nothing of a half-written one.
class BookmarkImporter final
{
public:
    static constexpr int TitleLimit = 100;
    static constexpr int ChunkSize = 5000;

    // Asked when a row's folder first holds its address already: overwrite it
    // and every later one?
    using OverwriteQuestion = std::function<bool()>;

    BookmarkImporter(BookmarkStore &store, OverwriteQuestion overwrite);
    ~BookmarkImporter();
    Q_DISABLE_COPY_MOVE(BookmarkImporter)

    // The rows that follow come from a source with these folders, which must
    // stay as they are until the next call (or the end).
    void beginSource(const ImportFolders &folders);
    // False when the store could not write; stop then.
    bool importRow(const ImportRow &row);
    // Makes the folders of the source that hold no bookmark in rows (all the
    // source's rows): being empty, they come with no row that would make them.
    bool makeEmptyFolders(const ImportRows &rows);
    // Commits the open chunk; false when it could not be written.
    bool finish();

    // Bookmarks added or overwritten in the chunks committed so far.
    int imported() const { return m_imported; }

private:
    struct Target
    {
        QString folderId;
        QString duplicateId; // empty when the folder does not hold the address yet
    };
    Target targetOf(const ImportRow &row, bool &failed);
    // None when the folder's bookmarks could not be read.
    QHash<QString, QString> *addressesIn(const QString &folderId);
    bool ensureOpen();
    std::optional<bool> mayOverwrite();

    BookmarkStore &m_store;
    ImportFolders m_noFolders;
    const ImportFolders *m_folders = &m_noFolders;
    // Nothing else changes the store while an import runs, so the folder of
    // each source folder and the addresses of each folder are looked up once
    // and then kept up to date here: an import into a big folder stays linear.
    std::optional<ImportFolderMaker> m_maker;
    QHash<QString, QHash<QString, QString>> m_addressesInFolder; // address -> first bookmark id
    OverwriteQuestion m_overwrite;
    std::optional<bool> m_overwriteAnswer;
    int m_imported = 0;
    int m_inChunkImported = 0; // in the open chunk, not yet committed
    int m_inChunk = 0;
    bool m_open = false;
};
