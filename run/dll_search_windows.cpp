#include "run/dll_search.h"

#include <windows.h>

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);

void restrict_dll_search()
{
    // Looked up rather than imported: a Windows 7 without its update
    // KB2533623 lacks it, and an import it lacks would stop the program
    // from starting at all. kernel32 is always loaded, so asking for it
    // loads nothing.
    FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                   "SetDefaultDllDirectories");
    SetDefaultDllDirectoriesFunction set_default_dll_directories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(
            reinterpret_cast<void (*)()>(found));
    if (set_default_dll_directories != nullptr &&
        set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // There, at least the current folder leaves the search.
    SetDllDirectoryW(L"");
}
