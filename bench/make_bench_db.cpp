// Writes the benchmark's databases: a typical skin, and tables where every
// entry is "ovly".
//
// usage: make_bench_db typical FILE | make_bench_db overlays COUNT FILE
#include "tools/pdb_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int save(const char *path, const Bytes &bytes)
{
    return save_image(path, bytes) ? 0 : 1;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "typical") == 0)
        return save(argv[2], build_database(typical_skin()));
    if (argc == 4 && std::strcmp(argv[1], "overlays") == 0) {
        DatabasePlan plan;
        const long count = std::strtol(argv[2], nullptr, 10);
        for (long i = 0; i < count; i++)
            plan.resources.push_back(
                {"ovly", static_cast<unsigned>(i), Bytes{'d', 'a', 't', 'a'}});
        return save(argv[3], build_database(plan));
    }
    std::fprintf(stderr, "usage: make_bench_db typical FILE\n"
                         "       make_bench_db overlays COUNT FILE\n");
    return 2;
}
