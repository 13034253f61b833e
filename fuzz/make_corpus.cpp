// Writes the fuzzing seed corpus: a few databases under a few file names,
// each as one byte of name length, the name, then the file's contents.
#include "tools/pdb_image.h"

#include <cstdio>
#include <string>

static int written;
static bool all_saved = true;

static void seed(const std::string &dir, const std::string &name,
                 const Bytes &contents)
{
    const std::string path = dir + "/seed-" + std::to_string(written++);
    Bytes input(1, static_cast<unsigned char>(name.size()));
    input.insert(input.end(), name.begin(), name.end());
    input.insert(input.end(), contents.begin(), contents.end());
    all_saved = save_image(path.c_str(), input) && all_saved;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes skin = build_database(typical_skin());
    seed(dir, "Blue.prc", skin);
    seed(dir, "StatusBarResources.prc", skin);
    seed(dir, "a\\b:Red.old.pdb", skin);
    seed(dir, ".prc", skin);
    seed(dir, std::string(40, 'L') + ".prc", skin);
    seed(dir, std::string(240, 'P'), skin);
    seed(dir, "Short.prc", Bytes(skin.begin(), skin.begin() + 79));
    seed(dir, "Cut.prc", Bytes(skin.begin(), skin.begin() + 152));

    DatabasePlan empty;
    seed(dir, "Empty.prc", build_database(empty));

    DatabasePlan lying = typical_skin();
    lying.stored_count = 40;
    seed(dir, "Lie.prc", build_database(lying));

    DatabasePlan variants;
    for (const char *type : {"ovly", "OVLY", "Ovly", "ovlY", "ovl", "ovly"})
        variants.resources.push_back({type, 7, Bytes{'o', 'v', 'l', 'y'}});
    variants.stored_count = 9;
    seed(dir, "Variants.pdb", build_database(variants));
    return all_saved ? 0 : 1;
}
