// Primitives that read the database at exact places: each one succeeds or
// ends the whole run, so their callers need no error handling.
#ifndef PRCFIX_RUN_CHECKED_IO_H
#define PRCFIX_RUN_CHECKED_IO_H

#include <cstdio>

// Closes db_file if it is open, writing out what is still buffered. Returns
// false when that close failed, which means buffered changes were lost.
bool close_database();

// Closes db_file if it is open, prints message on standard error and ends the
// process with status 1.
[[noreturn]] void fatal_exit(const char *message);

// Positions stream at offset from the start, or ends the run.
void seek_exact(std::FILE *stream, long offset);

// The next byte, 0 to 255, or the run ends at end of file or on error.
unsigned read_byte(std::FILE *stream);

// A big-endian 16-bit number, 0 to 65535.
unsigned read_be16(std::FILE *stream);

// Four bytes as they stand in the file, then a terminating zero in out[4].
void read_four_cc(std::FILE *stream, char out[5]);

#endif
