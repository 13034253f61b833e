#include "run/entry.h"

#ifdef _WIN32
#include "run/dll_search.h"
#endif

int main(int argc, char **argv)
{
#ifdef _WIN32
    restrict_dll_search();
#endif
    return run_prcfix(argc, argv);
}
