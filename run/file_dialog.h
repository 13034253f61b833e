// Lets the user pick the database when the run is not given exactly one
// path.
#ifndef PRCFIX_RUN_FILE_DIALOG_H
#define PRCFIX_RUN_FILE_DIALOG_H

#include <cstddef>

const std::size_t file_dialog_capacity = 260;

// Asks for one existing file. Returns non-zero with its full path in buffer
// (file_dialog_capacity bytes, zero-terminated), or zero when the user chose
// nothing or could not be asked.
int choose_database(char *buffer);

#ifdef _WIN32
#include <windows.h>

#include <commdlg.h>

// Fills the dialog's record for buffer, every field not set here zero.
void fill_open_file_name(OPENFILENAMEA *record, char *buffer);
#endif

#endif
