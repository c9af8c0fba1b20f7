#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class WindowsFolder;

// The trace walk on Windows: collects what lies below folders and then deletes
// it, every file first, then every directory after everything below it. Each
// entry is deleted by its name in the folder handle it was listed through, so a
// folder renamed or swapped for a link meanwhile redirects nothing. Names
// starting with a dot are neither listed nor entered; a link or junction is
// listed as itself, never entered. Failures are silent: what cannot be read or
// deleted is skipped.
class WindowsWalk final
{
public:
    using Selection = std::function<bool(const std::wstring &name)>;

    WindowsWalk();
    ~WindowsWalk();
    WindowsWalk(const WindowsWalk &) = delete;
    WindowsWalk &operator=(const WindowsWalk &) = delete;

    // Of the folder's own entries, only those selected are taken.
    void collect(const std::wstring &path, const Selection &selected);
    void removeCollected();

    // Paths as found: the folder's path as given, then '/' and names.
    const std::vector<std::wstring> &files() const { return m_files; }
    const std::vector<std::wstring> &directories() const { return m_directories; }

private:
    struct Entry
    {
        const WindowsFolder *folder; // listed in
        std::wstring name;
        std::unique_ptr<WindowsFolder> entered; // held open until this entry is deleted
    };

    void walk(const WindowsFolder &folder, const std::wstring &path, const Selection *selected);

    std::vector<std::unique_ptr<WindowsFolder>> m_tops;
    std::vector<Entry> m_fileEntries;
    std::vector<Entry> m_directoryEntries;
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_directories;
};
