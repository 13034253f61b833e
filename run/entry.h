// The run sequence and the process-wide state it owns.
#ifndef PRCFIX_RUN_ENTRY_H
#define PRCFIX_RUN_ENTRY_H

#include <cstdio>

const std::size_t db_path_capacity = 260;

// Zero-terminated path of the database this run works on.
extern char db_path[db_path_capacity];
// The database opened for update, or null until the open succeeds and again
// once it has been closed.
extern std::FILE *db_file;

// One whole run: choose the file, fix it up, close it. Returns the exit
// status (0 done or nothing chosen, 1 failure); a failure while walking the
// resource list ends the process from inside instead.
int run_prcfix(int argc, char **argv);

#endif
