// Builds folder trees, removes them through WindowsWalk and checks what is
// left. Plain C++ for Windows, run under wine on Linux.
#include "privacy/traces/windowswalk.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

int failures = 0;

void expect(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    failures += ok ? 0 : 1;
}

// Each path relative to root; those ending in '/' are folders.
void make(const std::wstring &root, const std::vector<std::wstring> &paths)
{
    CreateDirectoryW(root.c_str(), nullptr);
    for (const std::wstring &path : paths) {
        for (size_t slash = path.find(L'/'); slash != std::wstring::npos;
             slash = path.find(L'/', slash + 1))
            CreateDirectoryW((root + L'/' + path.substr(0, slash)).c_str(), nullptr);
        if (!path.ends_with(L'/'))
            CloseHandle(CreateFileW((root + L'/' + path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, 0, nullptr));
    }
}

// Every entry below root, dot entries included, sorted; links are not entered.
std::vector<std::wstring> below(const std::wstring &root, const std::wstring &prefix = {})
{
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((root + L"/*").c_str(), &data);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &data)) {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        found.push_back(prefix + name);
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ==
            FILE_ATTRIBUTE_DIRECTORY)
            for (const std::wstring &inner : below(root + L'/' + name, prefix + name + L'/'))
                found.push_back(inner);
    }
    FindClose(search);
    std::sort(found.begin(), found.end());
    return found;
}

// Needs developer mode or rights on Windows; wine 8 only pretends to make one.
bool makeLink(const std::wstring &link, const std::wstring &target)
{
    CreateSymbolicLinkW(link.c_str(), target.c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY |
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

WindowsWalk::Selection all = [](const std::wstring &) { return true; };

} // namespace

// Works in the folder named on the command line (left for the caller to remove).
int wmain(int argc, wchar_t **argv)
{
    if (argc != 2)
        return 2;
    const std::wstring root = argv[1];
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version");
    if (wine)
        std::printf("note: under wine, entries renamed away after listing cannot be deleted\n");
    const std::wstring cookies = root + L"/cookies", outside = root + L"/outside";
    make(root, {L"outside/precious.txt", L"outside/site/cookie.txt"});
    const std::vector<std::wstring> outsideBefore = below(outside);

    // Everything but dot entries goes, deepest folders first; a link goes as itself.
    make(cookies, {L"site/cookie.txt", L"site/.keep", L"site/deep/deeper/x.txt",
                   L".hidden/inside.txt", L".top", L"plain"});
    const bool links = makeLink(cookies + L"/linked", outside);
    if (!links)
        std::printf("note: no directory link could be made here, links untested\n");
    WindowsWalk walk;
    walk.collect(cookies + L'/', all);
    walk.removeCollected();
    expect(below(cookies) == std::vector<std::wstring>{L".hidden", L".hidden/inside.txt", L".top",
                                                       L"site", L"site/.keep"},
           "all but dot entries removed, the folder kept");
    expect(below(outside) == outsideBefore, "nothing outside touched");

    // Only the selected entries of the folder itself, whatever lies deeper.
    const std::wstring picked = root + L"/picked";
    make(picked, {L"a/a", L"a/b", L"b/a", L"c"});
    WindowsWalk selective;
    selective.collect(picked, [](const std::wstring &name) { return name != L"b"; });
    selective.removeCollected();
    expect(below(picked) == std::vector<std::wstring>{L"b", L"b/a"}, "selection kept");

    // After the listing a folder is renamed and another put in its place, a
    // link to outside where one can be made: deletion follows the handles.
    for (const bool link : {false, true}) {
        if (link && !links)
            continue;
        const std::wstring swapped = root + (link ? L"/linkswap" : L"/swap");
        make(swapped, {L"site/cookie.txt", L"site/deep/cookie.txt"});
        WindowsWalk swapWalk;
        swapWalk.collect(swapped, all);
        if (!MoveFileW((swapped + L"/site").c_str(), (swapped + L"/moved").c_str())) {
            std::printf("note: a folder held open cannot be renamed here, no swap to test\n");
            continue;
        }
        if (link)
            makeLink(swapped + L"/site", outside + L"/site");
        else
            make(swapped, {L"site/cookie.txt"});
        swapWalk.removeCollected();
        std::vector<std::wstring> left{L"moved", L"site", L"site/cookie.txt"};
        if (link)
            left = {L"moved"}; // the link removed as itself
        // wine deletes by the path it recorded at opening, and only if that still
        // names the same file: what was renamed away stays there.
        if (wine)
            left.insert(left.begin() + 1,
                        {L"moved/cookie.txt", L"moved/deep", L"moved/deep/cookie.txt"});
        expect(below(swapped) == left, "deleted through the handles: the substitute untouched");
        expect(below(outside) == outsideBefore, "nothing outside touched after the swap");
    }
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
