// Builds Palm resource database images in memory, for the sample, the tests,
// the fuzzing corpus and the benchmark.
#ifndef PRCFIX_TOOLS_PDB_IMAGE_H
#define PRCFIX_TOOLS_PDB_IMAGE_H

#include <cstdint>
#include <random>
#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

struct ResourcePlan {
    std::string type; // four bytes
    unsigned id;
    Bytes data;
};

struct DatabasePlan {
    // Stored as given in the 32-byte name field, cut or zero-padded; bytes
    // after the terminator may be set through name_field instead.
    std::string name = "StatusBarResources";
    Bytes name_field; // when not empty, the whole 32-byte field
    unsigned attributes = 0x0021;
    unsigned version = 1;
    std::string type = "skin";
    std::string creator = "Stbr";
    std::vector<ResourcePlan> resources;
    // The count stored at offset 76; negative means the number of resources.
    long stored_count = -1;
};

void put_be16(Bytes &bytes, std::size_t offset, unsigned value);
void put_be32(Bytes &bytes, std::size_t offset, std::uint32_t value);
unsigned get_be16(const Bytes &bytes, std::size_t offset);

// Header, entries, the two filler bytes and the resource data, with each
// entry's data offset pointing at its data.
Bytes build_database(const DatabasePlan &plan);

// Writes bytes to a new file at path; on failure says why on standard error
// and returns false.
bool save_image(const char *path, const Bytes &bytes);

// Reads the whole file at path into bytes; false when it cannot be read.
bool load_image(const char *path, Bytes &bytes);

// A status-bar skin as such files usually are: twelve resources, the eighth
// of them the overlay description "ovly".
DatabasePlan typical_skin();

// A database of any shape drawn from random: any name field, flags and
// type, up to 29 resources of types near "ovly", data that reads as an
// "ovly" entry, a count that may lie, and sometimes cut short.
Bytes random_database(std::mt19937 &random);

#endif
