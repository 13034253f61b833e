#include "pdb/header_rewrite.h"

#include "run/checked_io.h"

#include <cstring>

static const char default_base_name[] = "StatusBarResources";
static const char default_name[] = "Zurevir Iz ezuv";

const char *find_base_name(const char *path, std::size_t *length)
{
    const char *start = path;
    for (const char *p = path; *p != '\0'; p++)
        if (*p == '/' || *p == '\\' || *p == ':')
            start = p + 1;
    const char *dot = std::strchr(start, '.');
    *length = dot != nullptr ? static_cast<std::size_t>(dot - start)
                             : std::strlen(start);
    return start;
}

void fix_header_block(HeaderBlock *block, const char *base, std::size_t length)
{
    // The flag word is big-endian: flag 0x0020 sits in its second byte.
    block->attributes[1] &= ~reset_after_install_bit;

    // Only the new name and its terminator are stored; the rest of the name
    // field keeps its old bytes.
    if (length > name_capacity)
        length = name_capacity;
    std::memcpy(block->name, base, length);
    block->name[length] = '\0';
    if (std::strcmp(reinterpret_cast<char *>(block->name), default_base_name) ==
        0)
        std::memcpy(block->name, default_name, sizeof default_name);

    std::memcpy(block->creator, "Vavo", 4);
    std::memcpy(block->type, "rsrc", 4);
}

bool rewrite_header(std::FILE *stream, const char *path)
{
    HeaderBlock block;
    if (std::fread(&block, 1, sizeof block, stream) != sizeof block)
        return false;

    std::size_t length;
    const char *base = find_base_name(path, &length);
    // Without a name to give, the header is left exactly as it is.
    if (length == 0)
        return true;

    fix_header_block(&block, base, length);
    seek_exact(stream, 0);
    // A failed write shows when the next pass seeks and the buffer is
    // written out.
    std::fwrite(&block, sizeof block, 1, stream);
    return true;
}
