// Files, child processes and the expected result of a run, shared by the
// test programs.
#ifndef PRCFIX_TESTS_SUPPORT_H
#define PRCFIX_TESTS_SUPPORT_H

#include "tests/support/model.h"
#include "tools/pdb_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A new empty directory of its own under the system's temporary directory.
std::string make_temp_dir();
void remove_tree(const std::string &path);
std::string temp_dir_path();
// Tells this build's test programs from another build's running at the same
// time, for names that must be the same in every process of one test.
std::string build_tag();
std::string join_path(const std::string &directory, const std::string &name);

void write_file(const std::string &path, const Bytes &bytes);
Bytes read_file(const std::string &path);
bool file_exists(const std::string &path);

// A test with a new temporary directory of its own.
class TempDirTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        dir = make_temp_dir();
    }
    void TearDown() override
    {
        remove_tree(dir);
    }
    std::string dir;
};

// Names each case of a parameterized test after its label member.
struct LabelName {
    template <class Case>
    std::string operator()(const testing::TestParamInfo<Case> &info) const
    {
        return info.param.label;
    }
};

// The prcfix built beside the running test program.
std::string prcfix_path();

struct ChildResult {
    int status; // exit status, or 128 + signal, or -1 when it could not run
    std::string error_output;
};

struct ChildOptions {
    // Largest file offset the child may write up to (RLIMIT_FSIZE, with
    // SIGXFSZ ignored so that the write fails instead); negative for none.
    long file_size_limit = -1;
    // Run as the unprivileged user "nobody", for permission checks when the
    // tests run as root.
    bool unprivileged = false;
    // Where the child starts; empty for this process's directory.
    std::string working_directory;
};

// Runs program with args (not counting the program itself), standard input
// empty, and waits at most a minute for it. The file size limit and the
// unprivileged user are only available on POSIX systems.
ChildResult run_child(const std::string &program,
                      const std::vector<std::string> &args,
                      const ChildOptions &options = ChildOptions());
ChildResult run_prcfix_on(const std::vector<std::string> &args,
                          const ChildOptions &options = ChildOptions());

// text as it appears on standard error, where a text-mode stream on Windows
// turns each line feed into a carriage return and line feed.
std::string as_error_output(const std::string &text);

#endif
