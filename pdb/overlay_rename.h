// Second pass: retype every "ovly" resource as "OVLY".
#ifndef PRCFIX_PDB_OVERLAY_RENAME_H
#define PRCFIX_PDB_OVERLAY_RENAME_H

#include <cstdio>

// Walks as many resource entries as the count at offset 76 says, rewriting
// the type of each "ovly" entry in place. Returns when all have been read;
// a failed seek or an early end of file ends the run instead.
void rename_overlay_resources(std::FILE *stream);

#endif
