#include "run/file_dialog.h"

#include <cstring>

// The record must be the full one, with its reserved and extended fields:
// a size the dialog does not know makes it fail, which the run cannot tell
// from a cancel. Checked where it is built, so that it holds even where the
// build cannot be run.
#ifdef _WIN64
static_assert(sizeof(OPENFILENAMEA) == 152, "full 64-bit OPENFILENAMEA");
#else
static_assert(sizeof(OPENFILENAMEA) == 88, "full 32-bit OPENFILENAMEA");
#endif

void fill_open_file_name(OPENFILENAMEA *record, char *buffer)
{
    std::memset(record, 0, sizeof *record);
    // The size of the whole record, so that 64-bit Windows accepts it too.
    record->lStructSize = sizeof *record;
    record->hwndOwner = nullptr;
    // Pairs of description and pattern; the literal's own zero ends the list.
    record->lpstrFilter = "Palm database\0*.prc;*.pdb\0All files\0*.*\0";
    record->nFilterIndex = 1;
    record->lpstrFile = buffer;
    record->nMaxFile = file_dialog_capacity;
    record->lpstrFileTitle = nullptr;
    record->nMaxFileTitle = 0;
    record->lpstrInitialDir = nullptr;
    record->lpstrTitle = "Open File...";
    record->Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
}

int choose_database(char *buffer)
{
    buffer[0] = '\0';
    OPENFILENAMEA record;
    fill_open_file_name(&record, buffer);
    return GetOpenFileNameA(&record);
}
