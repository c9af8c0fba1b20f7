#pragma once

#include <memory>
#include <string>
#include <vector>

// A folder on Windows, held open by its handle. Its entries are opened and
// deleted by name relative to that handle, never through a path looked up
// again, and a reparse point below it (symbolic link, junction) is never
// followed. Plain Win32 and NT calls, so it builds and can be tried without Qt.
class WindowsFolder final
{
public:
    struct Entry
    {
        std::wstring name;
        bool directory; // a folder, or a link or junction to one
    };

    // The folder as named, through a link if the path is one; null if it is no folder.
    static std::unique_ptr<WindowsFolder> open(const std::wstring &path);
    ~WindowsFolder();
    WindowsFolder(const WindowsFolder &) = delete;
    WindowsFolder &operator=(const WindowsFolder &) = delete;

    // Every entry, "." and ".." included; what cannot be read is left out.
    std::vector<Entry> list() const;
    // The named sub-folder; null if it is a link or junction, no folder, or cannot be opened.
    std::unique_ptr<WindowsFolder> openChild(const std::wstring &name) const;
    // Deletes the named entry itself (a link, never its target); false if it stays.
    bool removeChild(const std::wstring &name) const;

private:
    explicit WindowsFolder(void *handle) : m_handle(handle) {}
    static std::unique_ptr<WindowsFolder> adopt(void *handle, bool refuseLinks);

    void *m_handle; // a HANDLE, kept out of this header with <windows.h>
};
