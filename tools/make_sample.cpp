// Writes the sample skin database that the demo fixes up.
#include "tools/pdb_image.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample OUTPUT\n");
        return 2;
    }
    Bytes bytes = build_database(typical_skin());
    std::FILE *out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !ok) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
