#include "run/file_dialog.h"

#include <cstring>

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
