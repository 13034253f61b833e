// What a run of prcfix should leave, worked out from the file format's point
// of view (whole buffer, absolute offsets) rather than the tool's walk over a
// stream. Shared by the tests and the fuzzing harness.
#ifndef PRCFIX_TESTS_MODEL_H
#define PRCFIX_TESTS_MODEL_H

#include "tools/pdb_image.h"

#include <string>
#include <vector>

// The base name of path as the tool finds it.
std::string base_name_of(const std::string &path);

// What a whole run on a file holding before, at path, leaves: the exit status
// and the file's bytes.
struct ExpectedRun {
    int status;
    Bytes bytes;
};
ExpectedRun expected_run(const Bytes &before, const std::string &path);

// The writes such a run makes, in order: the header block, then the type of
// each "ovly" entry it reaches.
struct Write {
    std::size_t offset;
    Bytes bytes;
    std::size_t end() const
    {
        return offset + bytes.size();
    }
};
std::vector<Write> expected_writes(const Bytes &before,
                                   const std::string &path);

// The file as such a run leaves it when nothing can be written at or past
// limit: each write lands up to the limit, and the first that cannot land
// whole ends the run.
Bytes expected_with_limit(const Bytes &before, const std::string &path,
                          std::size_t limit);

// Offsets where two equally long images differ.
std::vector<std::size_t> changed_offsets(const Bytes &a, const Bytes &b);

#endif
