// Writes the fuzzing seed corpus: a few databases under a few file names,
// each as one byte of name length, the name, then the file's contents.
#include "tools/pdb_image.h"

#include <cstdio>
#include <string>

static int written;

static void seed(const std::string &dir, const std::string &name,
                 const Bytes &contents)
{
    std::string path = dir + "/seed-" + std::to_string(written++);
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        return;
    }
    std::fputc(static_cast<int>(name.size()), out);
    std::fwrite(name.data(), 1, name.size(), out);
    std::fwrite(contents.data(), 1, contents.size(), out);
    std::fclose(out);
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
    return 0;
}
