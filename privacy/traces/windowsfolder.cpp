#include "privacy/traces/windowsfolder.h"

#include <windows.h>
#include <winternl.h>

namespace {

// Shared for deleting too: handles held open must not stand in the way of the
// deletion of the entries, or of the folders themselves.
constexpr ULONG ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the entry itself, a reparse point included, by its name in the folder.
// Only the NT call takes a folder handle to start the lookup from.
HANDLE openInFolder(HANDLE folder, const std::wstring &name, ACCESS_MASK access, ULONG options)
{
    const auto bytes = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    UNICODE_STRING text{bytes, bytes, const_cast<wchar_t *>(name.c_str())};
    OBJECT_ATTRIBUTES attributes{}; // by name: some headers pad it with fields of their own
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = folder;
    attributes.ObjectName = &text;
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    const NTSTATUS result = NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &status, nullptr, 0, ShareAll, FILE_OPEN,
        options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    return result >= 0 ? handle : nullptr;
}

} // namespace

std::unique_ptr<WindowsFolder> WindowsFolder::open(const std::wstring &path)
{
    HANDLE handle = CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, ShareAll,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return handle != INVALID_HANDLE_VALUE ? adopt(handle, false) : nullptr;
}

// What was opened is asked what it is: a folder swapped for a link since it
// was listed is not entered.
std::unique_ptr<WindowsFolder> WindowsFolder::adopt(void *handle, bool refuseLinks)
{
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD refused = refuseLinks ? FILE_ATTRIBUTE_REPARSE_POINT : 0;
    if (GetFileInformationByHandle(handle, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | refused)) == FILE_ATTRIBUTE_DIRECTORY)
        return std::unique_ptr<WindowsFolder>(new WindowsFolder(handle));
    CloseHandle(handle);
    return nullptr;
}

WindowsFolder::~WindowsFolder()
{
    CloseHandle(m_handle);
}

std::vector<WindowsFolder::Entry> WindowsFolder::list() const
{
    std::vector<Entry> entries;
    std::vector<LONGLONG> buffer(8192); // 64 KiB, aligned for the records read in place
    const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    // The first read starts from the beginning, however often the folder was listed.
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(m_handle, kind, buffer.data(), size)) {
        kind = FileIdBothDirectoryInfo;
        const char *record = reinterpret_cast<const char *>(buffer.data());
        for (;;) {
            const auto *info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO *>(record);
            entries.push_back({std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t)),
                               (info->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
            if (info->NextEntryOffset == 0)
                break;
            record += info->NextEntryOffset;
        }
    }
    return entries;
}

std::unique_ptr<WindowsFolder> WindowsFolder::openChild(const std::wstring &name) const
{
    HANDLE handle = openInFolder(m_handle, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                 FILE_DIRECTORY_FILE);
    return handle ? adopt(handle, true) : nullptr;
}

// A folder is deleted only when empty, and goes only once the last handle to
// it closes: until then its own folder is not empty either.
bool WindowsFolder::removeChild(const std::wstring &name) const
{
    HANDLE handle = openInFolder(m_handle, name, DELETE, 0);
    if (!handle)
        return false;
    FILE_DISPOSITION_INFO disposition{TRUE};
    const bool removed =
        SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition));
    CloseHandle(handle);
    return removed;
}
