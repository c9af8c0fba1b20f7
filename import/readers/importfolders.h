#pragma once

#include <QString>

#include <vector>

// The folders of one import source, each by its parent and its name, so that
// a row names its folder with one number: memory stays linear in the source's
// size however deep it nests. Index 0 is the source's top level.
class ImportFolders final
{
public:
    static constexpr int Top = 0;
    // Deeper folders are kept at this depth: their bookmarks land in the
    // deepest folder kept.
    static constexpr int MaxDepth = 256;

    // A new folder inside parent, or parent itself when that is already at
    // MaxDepth (the caller counts what it places there).
    int add(int parent, const QString &name);

    int count() const { return int(m_folders.size()) + 1; }
    int parent(int folder) const { return folder == Top ? Top : at(folder).parent; }
    int depth(int folder) const { return folder == Top ? 0 : at(folder).depth; }
    // Empty for the top level.
    QString name(int folder) const { return folder == Top ? QString() : at(folder).name; }
    // \A\B, or empty for the top level.
    QString path(int folder) const;
    // The folder of a \A\B path, made where missing: a path as one source row.
    int addPath(const QString &path);

private:
    struct Folder
    {
        int parent;
        int depth;
        QString name;
    };
    const Folder &at(int folder) const { return m_folders[std::size_t(folder - 1)]; }

    std::vector<Folder> m_folders;
};
