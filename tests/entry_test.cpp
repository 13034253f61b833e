// The run sequence in-process, for the paths that return a status rather
// than end the process.
#include "run/entry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

class RunSequence : public TempDirTest
{
  protected:
    int run_on(const std::string &path)
    {
        std::vector<char> arg(path.begin(), path.end());
        arg.push_back('\0');
        char program[] = "prcfix";
        char *argv[] = {program, arg.data(), nullptr};
        return run_prcfix(2, argv);
    }
};

TEST_F(RunSequence, FixesTheFileAndClosesIt)
{
    const std::string file = join_path(dir, "Blue.prc");
    const Bytes before = build_database(typical_skin());
    write_file(file, before);
    EXPECT_EQ(run_on(file), 0);
    EXPECT_EQ(db_file, nullptr);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);
    EXPECT_STREQ(db_path, file.c_str());
}

TEST_F(RunSequence, ShortHeaderIsClosedUnchanged)
{
    const std::string file = join_path(dir, "Blue.prc");
    Bytes before = build_database(typical_skin());
    before.resize(79);
    write_file(file, before);
    EXPECT_EQ(run_on(file), 1);
    EXPECT_EQ(db_file, nullptr);
    EXPECT_EQ(read_file(file), before);
}

TEST_F(RunSequence, MissingFileIsNotCreated)
{
    const std::string file = join_path(dir, "Missing.prc");
    EXPECT_EQ(run_on(file), 1);
    EXPECT_EQ(db_file, nullptr);
    EXPECT_FALSE(file_exists(file));
}

TEST_F(RunSequence, OverlongPathIsRefusedWithoutOverrun)
{
    std::memset(db_path, 'z', sizeof db_path);
    db_path[sizeof db_path - 1] = '\0';
    const std::string path(260, 'a');
    EXPECT_EQ(run_on(path), 1);
    EXPECT_EQ(db_file, nullptr);
    EXPECT_EQ(db_path[0], 'z') << "nothing was copied";
}
