// Writes the databases the page is tried on in the browsers, one file per
// kind, named after it: the shapes that matter, and some drawn at random.
//
// usage: make_page_cases DIR SEED COUNT
#include "tools/pdb_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

static bool save(const std::string &dir, const std::string &kind,
                 const Bytes &bytes)
{
    return save_image((dir + "/" + kind).c_str(), bytes);
}

// A typical skin whose list counts 1000 entries: the file ends inside the
// list, after the "ovly" entry has been rewritten.
static Bytes broken_list()
{
    DatabasePlan plan = typical_skin();
    plan.stored_count = 1000;
    return build_database(plan);
}

// A typical skin with a resource of 1.2 MiB, far past the reach of a run,
// holding "ovly" where an entry would be if the list went on.
static Bytes over_a_mebibyte()
{
    DatabasePlan plan = typical_skin();
    Bytes data(1258291, 0x5a);
    for (std::size_t at = 700000; at + 4 < data.size(); at += 100003)
        std::copy_n("ovly", 4, data.begin() + at);
    plan.resources.push_back({"Tbmp", 2000, data});
    return build_database(plan);
}

// The longest list there can be, every entry "ovly": it reaches the very
// end of what a run can touch, with data after it.
static Bytes worst_table()
{
    DatabasePlan plan;
    for (unsigned i = 0; i < 65535; i++)
        plan.resources.push_back({"ovly", i, Bytes(i % 7 == 0 ? 4 : 0, 'o')});
    return build_database(plan);
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_page_cases DIR SEED COUNT\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::mt19937 random(static_cast<unsigned>(std::strtoul(argv[2], 0, 0)));
    const long count = std::strtol(argv[3], nullptr, 0);

    Bytes typical = build_database(typical_skin());
    bool ok =
        save(dir, "typical", typical) &&
        save(dir, "broken-list", broken_list()) &&
        save(dir, "over-a-mebibyte", over_a_mebibyte()) &&
        save(dir, "worst-table", worst_table()) &&
        save(dir, "79-bytes", Bytes(typical.begin(), typical.begin() + 79)) &&
        save(dir, "empty", Bytes());
    for (long n = 0; ok && n < count; n++)
        ok = save(dir, "random-" + std::to_string(n), random_database(random));
    return ok ? 0 : 1;
}
