// Shows how two versions of a Palm resource database differ: the header
// fields this tool changes, the resource types, and every changed byte.
#include "tools/pdb_image.h"

#include <cstdio>
#include <string>

static std::string text(const Bytes &bytes, std::size_t offset,
                        std::size_t size)
{
    std::string s;
    for (std::size_t i = offset; i < offset + size && i < bytes.size(); i++) {
        if (bytes[i] == 0)
            break;
        s += bytes[i] >= 0x20 && bytes[i] < 0x7f ? char(bytes[i]) : '?';
    }
    return "\"" + s + "\"";
}

static void field(const char *label, const std::string &before,
                  const std::string &after)
{
    std::printf("  %-11s %-22s %s %s\n", label, before.c_str(),
                before == after ? "  " : "->", after.c_str());
}

int main(int argc, char **argv)
{
    Bytes before, after;
    if (argc != 3 || !load_image(argv[1], before) ||
        !load_image(argv[2], after)) {
        std::fprintf(stderr, "usage: prcdiff BEFORE AFTER\n");
        return 2;
    }
    if (before.size() < 80 || after.size() < 80) {
        std::fprintf(stderr, "prcdiff: a file has no complete header\n");
        return 2;
    }
    char attributes[2][8];
    std::snprintf(attributes[0], 8, "0x%04x", get_be16(before, 32));
    std::snprintf(attributes[1], 8, "0x%04x", get_be16(after, 32));
    std::printf("%s -> %s\n", argv[1], argv[2]);
    field("name", text(before, 0, 32), text(after, 0, 32));
    field("attributes", attributes[0], attributes[1]);
    field("type", text(before, 60, 4), text(after, 60, 4));
    field("creator", text(before, 64, 4), text(after, 64, 4));

    unsigned count = get_be16(before, 76);
    for (unsigned i = 0; i < count && 78 + 10 * i + 4 <= after.size(); i++) {
        std::string label = "resource " + std::to_string(i);
        field(label.c_str(), text(before, 78 + 10 * i, 4),
              text(after, 78 + 10 * i, 4));
    }

    std::size_t changed = 0;
    std::printf("  changed bytes:");
    for (std::size_t i = 0; i < before.size() && i < after.size(); i++)
        if (before[i] != after[i]) {
            std::printf(" %zu", i);
            changed++;
        }
    std::printf("\n  %zu of %zu bytes changed, size %s\n", changed,
                before.size(),
                before.size() == after.size() ? "unchanged" : "CHANGED");
    return 0;
}
