#include "tools/pdb_image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

void put_be16(Bytes &bytes, std::size_t offset, unsigned value)
{
    bytes[offset] = static_cast<unsigned char>(value >> 8);
    bytes[offset + 1] = static_cast<unsigned char>(value);
}

void put_be32(Bytes &bytes, std::size_t offset, std::uint32_t value)
{
    put_be16(bytes, offset, value >> 16);
    put_be16(bytes, offset + 2, value & 0xffff);
}

unsigned get_be16(const Bytes &bytes, std::size_t offset)
{
    return static_cast<unsigned>(bytes[offset]) << 8 | bytes[offset + 1];
}

static void put_code(Bytes &bytes, std::size_t offset, const std::string &code)
{
    for (std::size_t i = 0; i < 4; i++)
        bytes[offset + i] =
            i < code.size() ? static_cast<unsigned char>(code[i]) : ' ';
}

Bytes build_database(const DatabasePlan &plan)
{
    const std::size_t count = plan.resources.size();
    const std::size_t table_end = 78 + 10 * count + 2;
    std::size_t size = table_end;
    for (const ResourcePlan &r : plan.resources)
        size += r.data.size();

    Bytes bytes(size, 0);
    if (!plan.name_field.empty()) {
        std::copy_n(plan.name_field.begin(),
                    std::min<std::size_t>(32, plan.name_field.size()),
                    bytes.begin());
    } else {
        std::copy_n(plan.name.begin(),
                    std::min<std::size_t>(31, plan.name.size()), bytes.begin());
    }
    put_be16(bytes, 32, plan.attributes);
    put_be16(bytes, 34, plan.version);
    put_be32(bytes, 36, 0xb5d1e3a0u); // creation date
    put_be32(bytes, 40, 0xb5d1e3a7u); // modification date
    put_be32(bytes, 48, 3);           // modification number
    put_code(bytes, 60, plan.type);
    put_code(bytes, 64, plan.creator);
    put_be32(bytes, 68, 0x00001234u); // unique-id seed
    put_be16(bytes, 76,
             plan.stored_count < 0 ? static_cast<unsigned>(count)
                                   : static_cast<unsigned>(plan.stored_count));

    std::size_t data_offset = table_end;
    for (std::size_t i = 0; i < count; i++) {
        const ResourcePlan &r = plan.resources[i];
        const std::size_t entry = 78 + 10 * i;
        put_code(bytes, entry, r.type);
        put_be16(bytes, entry + 4, r.id);
        put_be32(bytes, entry + 6, static_cast<std::uint32_t>(data_offset));
        std::copy(r.data.begin(), r.data.end(), bytes.begin() + data_offset);
        data_offset += r.data.size();
    }
    return bytes;
}

static Bytes pattern(std::size_t size, unsigned seed)
{
    Bytes data(size);
    for (std::size_t i = 0; i < size; i++)
        data[i] = static_cast<unsigned char>((seed * 37 + i * 11) & 0xff);
    return data;
}

DatabasePlan typical_skin()
{
    static const char *const types[12] = {"tver", "Tbmp", "Tbmp", "Tbmp",
                                          "Tbmp", "tSTR", "tSTR", "ovly",
                                          "Tbmp", "Tbmp", "tAIB", "tAIN"};
    DatabasePlan plan;
    for (unsigned i = 0; i < 12; i++)
        plan.resources.push_back(
            {types[i], 1000 + i, pattern(24 + 16 * (i % 5), i)});
    return plan;
}

bool save_image(const char *path, const Bytes &bytes)
{
    std::FILE *out = std::fopen(path, "wb");
    if (out == nullptr) {
        std::perror(path);
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !ok) {
        std::perror(path);
        return false;
    }
    return true;
}

bool load_image(const char *path, Bytes &bytes)
{
    std::FILE *in = std::fopen(path, "rb");
    if (in == nullptr)
        return false;
    int c;
    while ((c = std::getc(in)) != EOF)
        bytes.push_back(static_cast<unsigned char>(c));
    bool ok = std::ferror(in) == 0;
    return std::fclose(in) == 0 && ok;
}

Bytes random_database(std::mt19937 &random)
{
    DatabasePlan plan;
    plan.name_field.resize(32);
    for (unsigned char &b : plan.name_field)
        b = static_cast<unsigned char>(random() % 3 ? random() : 0);
    plan.attributes = random() & 0xffff;
    plan.type = std::string(4, static_cast<char>('a' + random() % 26));
    const unsigned entries = random() % 30;
    static const char *const types[] = {"ovly", "ovly", "ovly", "OVLY", "Ovly",
                                        "ovlY", "Tbmp", "tSTR", "tver", "ovl"};
    for (unsigned i = 0; i < entries; i++) {
        Bytes data(random() % 24);
        for (unsigned char &b : data)
            b = static_cast<unsigned char>(random() % 4 ? random() : 'o');
        // Data that reads as an "ovly" entry when the count lies.
        if (data.size() >= 12 && random() % 3 == 0)
            std::memcpy(&data[random() % 9], "ovly", 4);
        plan.resources.push_back({types[random() % 10],
                                  static_cast<unsigned>(random() & 0xffff),
                                  data});
    }
    switch (random() % 6) {
    case 0:
        plan.stored_count = entries + random() % 40;
        break;
    case 1:
        plan.stored_count = random() % (entries + 1);
        break;
    default:
        break;
    }
    Bytes bytes = build_database(plan);
    if (random() % 5 == 0)
        bytes.resize(random() % (bytes.size() + 1));
    return bytes;
}
