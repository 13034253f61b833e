#include "tests/support/model.h"

#include <cstring>

std::string base_name_of(const std::string &path)
{
    std::size_t start = path.find_last_of("/\\:");
    start = start == std::string::npos ? 0 : start + 1;
    std::size_t dot = path.find('.', start);
    return path.substr(start, dot == std::string::npos ? std::string::npos
                                                       : dot - start);
}

// The header block as the run writes it back for a non-empty base name:
// bytes 78 and 79 go back as they were read.
static Write header_write(const Bytes &before, const std::string &base)
{
    Bytes block(before.begin(), before.begin() + 80);
    const std::string name = base.substr(0, 31);
    // The default name goes over the copied base name, whose last bytes and
    // terminator stay after it.
    std::memcpy(&block[0], name.c_str(), name.size() + 1);
    if (name == "StatusBarResources")
        std::memcpy(&block[0], "Zurevir Iz ezuv", 16);
    block[33] &= 0xdf;
    std::memcpy(&block[60], "rsrcVavo", 8);
    return {0, block};
}

// Fills writes with what a run writes, in order; returns whether it gets to
// the end of the counted entries (status 0) or the file ends first.
static bool plan_run(const Bytes &before, const std::string &path,
                     std::vector<Write> &writes)
{
    if (before.size() < 80)
        return false;
    const std::string base = base_name_of(path);
    if (!base.empty())
        writes.push_back(header_write(before, base));
    const std::size_t count = get_be16(before, 76);
    for (std::size_t i = 0; i < count; i++) {
        const std::size_t entry = 78 + 10 * i;
        if (entry + 4 > before.size())
            return false;
        if (std::memcmp(&before[entry], "ovly", 4) == 0)
            writes.push_back({entry, Bytes{'O', 'V', 'L', 'Y'}});
        if (entry + 10 > before.size())
            return false;
    }
    return true;
}

// before with writes applied in order, each landing below limit only; the
// first that cannot land whole is the last.
static Bytes apply_writes(const Bytes &before, const std::vector<Write> &writes,
                          std::size_t limit)
{
    Bytes bytes = before;
    for (const Write &w : writes) {
        for (std::size_t i = 0; i < w.bytes.size() && w.offset + i < limit; i++)
            bytes[w.offset + i] = w.bytes[i];
        if (w.end() > limit)
            break;
    }
    return bytes;
}

ExpectedRun expected_run(const Bytes &before, const std::string &path)
{
    std::vector<Write> writes;
    const bool complete = plan_run(before, path, writes);
    return {complete ? 0 : 1, apply_writes(before, writes, before.size())};
}

std::vector<Write> expected_writes(const Bytes &before, const std::string &path)
{
    std::vector<Write> writes;
    plan_run(before, path, writes);
    return writes;
}

Bytes expected_with_limit(const Bytes &before, const std::string &path,
                          std::size_t limit)
{
    return apply_writes(before, expected_writes(before, path), limit);
}

std::vector<std::size_t> changed_offsets(const Bytes &a, const Bytes &b)
{
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < a.size() && i < b.size(); i++)
        if (a[i] != b[i])
            offsets.push_back(i);
    return offsets;
}
