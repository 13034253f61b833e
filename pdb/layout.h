// On-disk layout of a Palm resource database: only the parts this tool
// reads or changes. All multi-byte numbers are big-endian.
#ifndef PRCFIX_PDB_LAYOUT_H
#define PRCFIX_PDB_LAYOUT_H

#include <cstddef>

// The 78-byte database header followed by the first two bytes after it (the
// start of the first entry, or the filler after an empty list). Read and
// written whole; every member is a byte array, so there is no padding.
struct HeaderBlock {
    unsigned char name[32];
    unsigned char attributes[2];
    unsigned char version[2];
    unsigned char creation_date[4];
    unsigned char modification_date[4];
    unsigned char backup_date[4];
    unsigned char modification_number[4];
    unsigned char app_info_offset[4];
    unsigned char sort_info_offset[4];
    unsigned char type[4];
    unsigned char creator[4];
    unsigned char unique_id_seed[4];
    unsigned char next_record_list[4];
    unsigned char entry_count[2];
    unsigned char after_header[2];
};

// One entry of the resource list.
struct ResourceEntry {
    unsigned char type[4];
    unsigned char id[2];
    unsigned char data_offset[4];
};

static_assert(sizeof(HeaderBlock) == 80, "HeaderBlock must be 80 bytes");
static_assert(sizeof(ResourceEntry) == 10, "ResourceEntry must be 10 bytes");

const std::size_t header_size = 78;
const std::size_t header_block_size = sizeof(HeaderBlock);
const std::size_t name_capacity = sizeof(HeaderBlock::name) - 1;
const long entry_count_offset = offsetof(HeaderBlock, entry_count);
const long first_entry_offset = header_size;
const long entry_size = sizeof(ResourceEntry);
// The entry count is 16 bits wide, so no run reads past the end of the
// longest list it can give, nor past the two bytes that follow that list.
const long largest_entry_count = 65535;
const long largest_reach =
    first_entry_offset + entry_size * largest_entry_count + 2;

// The format's reset-after-install flag (0x0020 of the attributes word), as
// a bit of the word's low byte.
const unsigned char reset_after_install_bit = 0x20;

#endif
