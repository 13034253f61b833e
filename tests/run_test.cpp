// The built prcfix run as its users run it, checked by exit status and by
// every byte of the file afterwards.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

class RunPrcfix : public TempDirTest
{
  protected:
};

struct FileCase {
    const char *label;
    std::string file_name;
    Bytes bytes;
    int status;
};

static void PrintTo(const FileCase &c, std::ostream *out)
{
    *out << c.label;
}

static Bytes skin_cut(std::size_t size)
{
    Bytes bytes = build_database(typical_skin());
    bytes.resize(size);
    return bytes;
}

static Bytes skin_with_count(long count)
{
    DatabasePlan plan = typical_skin();
    plan.stored_count = count;
    return build_database(plan);
}

static Bytes empty_database()
{
    DatabasePlan plan;
    return build_database(plan);
}

class RunPrcfixOnFile : public RunPrcfix,
                        public testing::WithParamInterface<FileCase>
{
};

TEST_P(RunPrcfixOnFile, LeavesExactlyTheExpectedBytes)
{
    const FileCase &c = GetParam();
    const std::string file = join_path(dir, c.file_name);
    write_file(file, c.bytes);
    ChildResult result = run_prcfix_on({file});
    EXPECT_EQ(result.status, c.status);
    ExpectedRun expected = expected_run(c.bytes, file);
    EXPECT_EQ(expected.status, c.status) << "the case table and the model";
    EXPECT_EQ(read_file(file), expected.bytes);
    if (c.status == 0)
        EXPECT_EQ(result.error_output, "");
    else
        EXPECT_EQ(result.error_output,
                  c.bytes.size() < 80
                      ? ""
                      : as_error_output("Error reading file.\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RunPrcfixOnFile,
    testing::Values(
        FileCase{"typical", "Blue.prc", build_database(typical_skin()), 0},
        FileCase{"default_name", "StatusBarResources.prc",
                 build_database(typical_skin()), 0},
        FileCase{"lower_case_default", "statusbarresources.pdb",
                 build_database(typical_skin()), 0},
        FileCase{"space_in_name", "Deep Blue.v2.prc",
                 build_database(typical_skin()), 0},
        FileCase{"long_name", std::string(40, 'L') + ".prc",
                 build_database(typical_skin()), 0},
        FileCase{"dot_file", ".prc", build_database(typical_skin()), 0},
        FileCase{"no_entries", "Empty.prc", empty_database(), 0},
        FileCase{"count_zero", "Zero.prc", skin_with_count(0), 0},
        FileCase{"count_a_little_high", "High.prc", skin_with_count(13), 0},
        FileCase{"count_far_too_high", "Lie.prc", skin_with_count(500), 1},
        FileCase{"count_max", "Max.prc", skin_with_count(65535), 1},
        FileCase{"cut_in_table", "Cut.prc", skin_cut(78 + 35), 1},
        FileCase{"cut_after_ovly_type", "Cut.prc", skin_cut(152), 1},
        FileCase{"exactly_80", "Eighty.prc", skin_cut(80), 1},
        FileCase{"only_79", "Short.prc", skin_cut(79), 1},
        FileCase{"only_78", "Short.prc", skin_cut(78), 1},
        FileCase{"empty_file", "Nothing.prc", Bytes(), 1}),
    LabelName());

TEST_F(RunPrcfix, TypicalSkinChangesOnlyItsFixedFields)
{
    const std::string file = join_path(dir, "Blue.prc");
    const Bytes before = build_database(typical_skin());
    write_file(file, before);
    ASSERT_EQ(run_prcfix_on({file}).status, 0);
    const Bytes after = read_file(file);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(std::string(after.begin(), after.begin() + 5),
              std::string("Blue\0", 5));
    EXPECT_EQ(get_be16(after, 32), 0x0001u);
    EXPECT_EQ(std::string(after.begin() + 60, after.begin() + 68), "rsrcVavo");
    EXPECT_EQ(std::string(after.begin() + 148, after.begin() + 152), "OVLY");
    std::vector<std::size_t> expected_changes = {0, 1, 2, 3, 4, 33};
    for (std::size_t i = 60; i < 68; i++)
        expected_changes.push_back(i);
    for (std::size_t i = 148; i < 152; i++)
        expected_changes.push_back(i);
    // Bytes 5 on keep "sBarResources" and its zero, so they do not change.
    EXPECT_EQ(changed_offsets(before, after), expected_changes);
}

TEST_F(RunPrcfix, MissingFileEndsWithOneAndIsNotCreated)
{
    const std::string file = join_path(dir, "Missing.prc");
    EXPECT_EQ(run_prcfix_on({file}).status, 1);
    EXPECT_FALSE(file_exists(file));
}

TEST_F(RunPrcfix, DirectoryEndsWithOne)
{
    EXPECT_EQ(run_prcfix_on({dir}).status, 1);
}

// The longest path db_path holds works; one more character is refused before
// anything is opened.
TEST_F(RunPrcfix, PathOf259WorksAnd260IsRefused)
{
    const std::size_t room = 259 - dir.size() - 2 - std::strlen("Blue.prc");
    const std::string sub = join_path(dir, std::string(room, 'e'));
    std::filesystem::create_directory(sub);
    const std::string file = join_path(sub, "Blue.prc");
    ASSERT_EQ(file.size(), 259u);
    const Bytes before = build_database(typical_skin());
    write_file(file, before);
    EXPECT_EQ(run_prcfix_on({file}).status, 0);
    EXPECT_EQ(read_file(file), expected_run(before, file).bytes);

    // The same file, named with one separator doubled.
    write_file(file, before);
    std::string longer = file;
    longer.insert(dir.size(), 1, longer[dir.size()]);
    ASSERT_EQ(longer.size(), 260u);
    EXPECT_EQ(run_prcfix_on({longer}).status, 1);
    EXPECT_EQ(read_file(file), before);
}

#ifndef _WIN32
// Without exactly one argument the user is asked; with no terminal to ask
// on, that is no choice: status 0 and the named files untouched.
TEST_F(RunPrcfix, OtherArgumentCountsAskAndTouchNothing)
{
    const std::string a = join_path(dir, "A.prc"), b = join_path(dir, "B.prc");
    const Bytes before = build_database(typical_skin());
    write_file(a, before);
    write_file(b, before);
    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{}, {a, b}, {a, b, a}}) {
        EXPECT_EQ(run_prcfix_on(args).status, 0);
        EXPECT_EQ(read_file(a), before);
        EXPECT_EQ(read_file(b), before);
    }
}
#endif

#ifdef _WIN32
#include <windows.h>

struct WindowsPathCase {
    const char *label;
    const char *file_name;
    // How the file is named: {dir} is the test's directory as Windows
    // writes it (drive letter, backslashes); {drive} its drive alone.
    const char *pattern;
    bool from_directory; // the run starts in the test's directory
};

static void PrintTo(const WindowsPathCase &c, std::ostream *out)
{
    *out << c.label;
}

class WindowsPaths : public RunPrcfix,
                     public testing::WithParamInterface<WindowsPathCase>
{
};

static std::string replace_all(std::string text, const std::string &what,
                               const std::string &with)
{
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

TEST_P(WindowsPaths, NameTheDatabaseAfterTheLastComponent)
{
    const WindowsPathCase &c = GetParam();
    ASSERT_EQ(dir[1], ':') << "a drive letter";
    const std::string file = join_path(dir, c.file_name);
    const Bytes before = build_database(typical_skin());
    write_file(file, before);
    std::string path = replace_all(c.pattern, "{dir}", dir);
    path = replace_all(path, "{drive}", dir.substr(0, 2));
    path = replace_all(path, "{file}", c.file_name);
    ChildOptions options;
    if (c.from_directory)
        options.working_directory = dir;
    EXPECT_EQ(run_prcfix_on({path}, options).status, 0) << path;
    EXPECT_EQ(read_file(file), expected_run(before, path).bytes) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WindowsPaths,
    testing::Values(
        WindowsPathCase{"backslashes", "Blue.prc", "{dir}\\{file}", false},
        WindowsPathCase{"forward_slashes", "Blue.prc", "{dir}/{file}", false},
        WindowsPathCase{"drive_relative", "Blue.prc", "{drive}{file}", true},
        WindowsPathCase{"relative", "Blue.prc", "{file}", true},
        WindowsPathCase{"dot_directory", "Blue.prc", ".\\{file}", true},
        WindowsPathCase{"first_dot", "my.skin.prc", "{dir}\\{file}", false},
        WindowsPathCase{"default_name", "StatusBarResources.pdb",
                        "{drive}{file}", true},
        WindowsPathCase{"dot_file", ".prc", "{dir}\\{file}", false}),
    LabelName());

TEST_F(RunPrcfix, ReadOnlyFileEndsWithOneUntouched)
{
    const std::string file = join_path(dir, "Blue.prc");
    const Bytes before = build_database(typical_skin());
    write_file(file, before);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    // Under wine run as root, the attribute becomes file permissions that
    // root may ignore.
    if (std::FILE *probe = std::fopen(file.c_str(), "r+b")) {
        std::fclose(probe);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        GTEST_SKIP() << "this user may write to read-only files here";
    }
    EXPECT_EQ(run_prcfix_on({file}).status, 1);
    EXPECT_EQ(read_file(file), before);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif
