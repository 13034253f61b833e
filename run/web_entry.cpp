// The page's way in. The page holds one file, named by its name's bytes,
// and asks for one run on that name, just as the command line would be
// given that path. Before each run the page puts the module's state back
// as it was before the first, so nothing of one run can reach the next.
#include "pdb/layout.h"
#include "run/entry.h"

#include <emscripten/emscripten.h>

extern "C" {

// One run on path, a zero-terminated name in the module's memory. Returns
// the run's exit status; a run that fails inside the resource list exits
// instead, and the page reads the status from that exit.
EMSCRIPTEN_KEEPALIVE int prcfix_run(char *path)
{
    static char program[] = "prcfix";
    char *argv[] = {program, path, nullptr};
    return run_prcfix(2, argv);
}

// How many bytes at the start of a file a run can ever read or write: the
// header and the longest resource list a 16-bit count can give, with the
// two bytes after it. The page reads no more of a file than this.
EMSCRIPTEN_KEEPALIVE long prcfix_reach()
{
    return largest_reach;
}

// Fewer bytes than this are no database: a run on them writes nothing.
EMSCRIPTEN_KEEPALIVE long prcfix_header_block_size()
{
    return header_block_size;
}

// A path of this many bytes or more does not fit the run's buffer.
EMSCRIPTEN_KEEPALIVE long prcfix_path_capacity()
{
    return db_path_capacity;
}
}
