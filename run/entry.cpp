#include "run/entry.h"

#include "pdb/header_rewrite.h"
#include "pdb/overlay_rename.h"
#include "run/checked_io.h"
#include "run/file_dialog.h"

#include <cstring>

static_assert(db_path_capacity == file_dialog_capacity,
              "the dialog fills db_path");

char db_path[db_path_capacity];
std::FILE *db_file;

// A path that does not fit db_path is refused rather than cut, which would
// name some other file.
static bool copy_path(const char *path)
{
    std::size_t length = std::strlen(path);
    if (length >= db_path_capacity)
        return false;
    std::memcpy(db_path, path, length + 1);
    return true;
}

int run_prcfix(int argc, char **argv)
{
    if (argc == 2) {
        if (!copy_path(argv[1]))
            return 1;
    } else if (choose_database(db_path) == 0) {
        return 0;
    }

    db_file = std::fopen(db_path, "r+b");
    if (db_file == nullptr)
        return 1;
    if (!rewrite_header(db_file, db_path)) {
        close_database();
        return 1;
    }
    rename_overlay_resources(db_file);
    // A failed close lost buffered changes: that run did not work.
    return close_database() ? 0 : 1;
}
