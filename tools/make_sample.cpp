// Writes the sample skin database that the demo fixes up.
#include "tools/pdb_image.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT\n");
        return 2;
    }
    return save_image(argv[1], build_database(typical_skin())) ? 0 : 1;
}
