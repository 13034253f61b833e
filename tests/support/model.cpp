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

ExpectedRun expected_run(const Bytes &before, const std::string &path)
{
    ExpectedRun run = {0, before};
    Bytes &b = run.bytes;
    if (b.size() < 80)
        return {1, before};

    const std::string name = base_name_of(path).substr(0, 31);
    if (!name.empty()) {
        // The default name goes over the copied base name, whose last bytes
        // and terminator stay after it.
        std::memcpy(&b[0], name.c_str(), name.size() + 1);
        if (name == "StatusBarResources")
            std::memcpy(&b[0], "Zurevir Iz ezuv", 16);
        b[33] &= 0xdf;
        std::memcpy(&b[60], "rsrcVavo", 8);
    }

    const std::size_t count = get_be16(before, 76);
    for (std::size_t i = 0; i < count; i++) {
        const std::size_t entry = 78 + 10 * i;
        if (entry + 4 > b.size()) {
            run.status = 1;
            break;
        }
        if (std::memcmp(&b[entry], "ovly", 4) == 0)
            std::memcpy(&b[entry], "OVLY", 4);
        if (entry + 10 > b.size()) {
            run.status = 1;
            break;
        }
    }
    return run;
}

std::vector<Write> expected_writes(const Bytes &before, const std::string &path)
{
    std::vector<Write> writes;
    if (before.size() < 80)
        return writes;
    if (!base_name_of(path).empty()) {
        // The block goes back with bytes 78 and 79 as they were read.
        Bytes block(expected_run(before, path).bytes);
        block.resize(80);
        block[78] = before[78];
        block[79] = before[79];
        writes.push_back({0, block});
    }
    const std::size_t count = get_be16(before, 76);
    for (std::size_t i = 0; i < count; i++) {
        const std::size_t entry = 78 + 10 * i;
        if (entry + 4 > before.size())
            break;
        if (std::memcmp(&before[entry], "ovly", 4) == 0)
            writes.push_back({entry, Bytes{'O', 'V', 'L', 'Y'}});
        if (entry + 10 > before.size())
            break;
    }
    return writes;
}

Bytes expected_with_limit(const Bytes &before, const std::string &path,
                          std::size_t limit)
{
    Bytes bytes = before;
    for (const Write &w : expected_writes(before, path)) {
        for (std::size_t i = 0; i < w.bytes.size() && w.offset + i < limit; i++)
            bytes[w.offset + i] = w.bytes[i];
        if (w.end() > limit)
            break;
    }
    return bytes;
}

std::vector<std::size_t> changed_offsets(const Bytes &a, const Bytes &b)
{
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < a.size() && i < b.size(); i++)
        if (a[i] != b[i])
            offsets.push_back(i);
    return offsets;
}
