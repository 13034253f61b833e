// First pass: name the database after its file, set its type and creator and
// clear its reset-after-install flag.
#ifndef PRCFIX_PDB_HEADER_REWRITE_H
#define PRCFIX_PDB_HEADER_REWRITE_H

#include "pdb/layout.h"

#include <cstddef>
#include <cstdio>

// The file's base name within path: it starts after the last '/', '\\' or
// ':' and ends at the first '.' after that start. Returns its start and
// stores its length, which may be 0.
const char *find_base_name(const char *path, std::size_t *length);

// The in-memory changes to a header block for a non-empty base name.
void fix_header_block(HeaderBlock *block, const char *base, std::size_t length);

// Reads the 80-byte header block from the start of stream, fixes it and
// writes it back at offset 0. Returns false, having written nothing, when
// fewer than 80 bytes can be read. An empty base name leaves the file as it
// was but still returns true.
bool rewrite_header(std::FILE *stream, const char *path);

#endif
