#include "privacy/traces/windowswalk.h"

#include "privacy/traces/windowsfolder.h"

WindowsWalk::WindowsWalk() = default;
WindowsWalk::~WindowsWalk() = default;

void WindowsWalk::collect(const std::wstring &path, const Selection &selected)
{
    std::unique_ptr<WindowsFolder> top = WindowsFolder::open(path);
    if (!top)
        return;
    walk(*top, path, &selected);
    m_tops.push_back(std::move(top));
}

void WindowsWalk::walk(const WindowsFolder &folder, const std::wstring &path,
                       const Selection *selected)
{
    for (WindowsFolder::Entry &entry : folder.list()) {
        if (entry.name.starts_with(L'.') || (selected && !(*selected)(entry.name)))
            continue;
        std::wstring entryPath = path + L'/' + entry.name;
        if (!entry.directory) {
            m_files.push_back(std::move(entryPath));
            m_fileEntries.push_back({&folder, std::move(entry.name), nullptr});
            continue;
        }
        // A link or junction is refused here, so it is deleted as itself, never entered.
        std::unique_ptr<WindowsFolder> child = folder.openChild(entry.name);
        if (child)
            walk(*child, entryPath, nullptr);
        m_directories.push_back(std::move(entryPath));
        m_directoryEntries.push_back({&folder, std::move(entry.name), std::move(child)});
    }
}

void WindowsWalk::removeCollected()
{
    for (const Entry &entry : m_fileEntries)
        entry.folder->removeChild(entry.name);
    // Deepest first: when a directory's turn comes, nothing listed in it is left
    // to delete, and its own handle is closed so that it can go at once.
    for (Entry &entry : m_directoryEntries) {
        entry.entered.reset();
        entry.folder->removeChild(entry.name);
    }
    m_fileEntries.clear();
    m_directoryEntries.clear();
    m_tops.clear();
}
