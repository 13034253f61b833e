// The page's run sees exactly one file: the one the page hands it. Opening
// goes to the page, which compares the path's bytes with that file's name
// byte for byte, so no name is decoded, and none can reach anything else.
// Reading, writing and seeking on it go to the page through the standard
// system interface the module imports.

extern "C" {

__attribute__((import_module("prcfix"), import_name("open_database"))) long
open_database(const char *path);

// Every open of the C library comes here.
long __syscall_open(long path, long, ...)
{
    return open_database(reinterpret_cast<const char *>(path));
}
}
