#include "pdb/overlay_rename.h"

#include "pdb/layout.h"
#include "run/checked_io.h"

#include <cstring>

void rename_overlay_resources(std::FILE *stream)
{
    seek_exact(stream, entry_count_offset);
    // The count is trusted: entries past the real table are read like any
    // other, and the file ending first ends the run.
    long count = read_be16(stream);
    for (long i = 0; i < count; i++) {
        long start = first_entry_offset + entry_size * i;
        char type[5];
        read_four_cc(stream, type);
        if (std::memcmp(type, "ovly", 4) == 0) {
            seek_exact(stream, start);
            std::fwrite("OVLY", 4, 1, stream);
            // Reading may only follow writing after a seek; this seek also
            // writes the four bytes out, and fails if they cannot be.
            seek_exact(stream, start + 4);
        }
        read_be16(stream); // resource id
        read_be16(stream); // data offset, high half
        read_be16(stream); // data offset, low half
    }
}
