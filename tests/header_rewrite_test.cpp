#include "pdb/header_rewrite.h"
#include "run/checked_io.h"
#include "run/entry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

struct BaseNameCase {
    const char *path;
    const char *base;
};

static void PrintTo(const BaseNameCase &c, std::ostream *out)
{
    *out << '"' << c.path << '"';
}

class FindBaseName : public testing::TestWithParam<BaseNameCase>
{
};

TEST_P(FindBaseName, StartsAfterLastSeparatorAndEndsAtFirstDot)
{
    std::size_t length = 99;
    const char *start = find_base_name(GetParam().path, &length);
    EXPECT_EQ(std::string(start, length), GetParam().base);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FindBaseName,
    testing::Values(BaseNameCase{"C:\\skins\\Blue.old.pdb", "Blue"},
                    BaseNameCase{"D:Red.prc", "Red"},
                    BaseNameCase{"Green", "Green"},
                    BaseNameCase{"x/skins\\Blue.prc", "Blue"},
                    BaseNameCase{"a/b\\c:Blue.prc", "Blue"},
                    BaseNameCase{"\\Blue.prc", "Blue"},
                    BaseNameCase{"/home/u/my.skin.pdb", "my"},
                    BaseNameCase{"dir.d/name", "name"},
                    BaseNameCase{"skins/.pdb", ""}, BaseNameCase{"skins/", ""},
                    BaseNameCase{"C:", ""}, BaseNameCase{"", ""},
                    BaseNameCase{"a:b/c\\", ""}, BaseNameCase{"..\\up", "up"}));

// A 32-byte name field: text, then zeros.
static Bytes field(const std::string &text)
{
    Bytes bytes(text.begin(), text.end());
    bytes.resize(32, 0);
    return bytes;
}

struct RewriteCase {
    const char *label;
    std::string path;
    Bytes old_name_field;
    unsigned old_attributes;
    Bytes new_name_field;
    unsigned new_attributes;
};

static void PrintTo(const RewriteCase &c, std::ostream *out)
{
    *out << c.label;
}

class HeaderFile : public TempDirTest
{
  protected:
    void TearDown() override
    {
        close_database();
        TempDirTest::TearDown();
    }
};

class RewriteHeader : public HeaderFile,
                      public testing::WithParamInterface<RewriteCase>
{
};

TEST_P(RewriteHeader, ChangesOnlyNameFlagTypeAndCreator)
{
    const RewriteCase &c = GetParam();
    DatabasePlan plan = typical_skin();
    plan.name_field = c.old_name_field;
    plan.attributes = c.old_attributes;
    const Bytes before = build_database(plan);
    const std::string file = join_path(dir, "db.prc");
    write_file(file, before);

    db_file = std::fopen(file.c_str(), "r+b");
    ASSERT_NE(db_file, nullptr);
    EXPECT_TRUE(rewrite_header(db_file, c.path.c_str()));
    ASSERT_TRUE(close_database());

    Bytes expected = before;
    std::copy(c.new_name_field.begin(), c.new_name_field.end(),
              expected.begin());
    put_be16(expected, 32, c.new_attributes);
    std::memcpy(&expected[60], "rsrcVavo", 8);
    EXPECT_EQ(read_file(file), expected);
}

// The old name field with text written over its start.
static Bytes over(const Bytes &old, const std::string &text)
{
    Bytes bytes = old;
    std::copy(text.begin(), text.end(), bytes.begin());
    return bytes;
}

static const Bytes status_bar = field("StatusBarResources");
static const std::string forty(40, 'k');

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteHeader,
    testing::Values(
        // The old name's bytes after the new terminator stay.
        RewriteCase{"blue", "C:\\skins\\Blue.pdb", status_bar, 0x0021,
                    over(status_bar, std::string("Blue\0", 5)), 0x0001},
        RewriteCase{"default", "StatusBarResources.pdb", field("Old name"),
                    0x0020, field(std::string("Zurevir Iz ezuv\0es", 18)),
                    0x0000},
        RewriteCase{"default_in_dir", "/skins/StatusBarResources", status_bar,
                    0x0001, field(std::string("Zurevir Iz ezuv\0es", 18)),
                    0x0001},
        RewriteCase{"case_matters", "statusbarresources.pdb", status_bar,
                    0x0021, field("statusbarresources"), 0x0001},
        RewriteCase{"longer_than_default", "StatusBarResourcesX.prc",
                    status_bar, 0x0021, field("StatusBarResourcesX"), 0x0001},
        RewriteCase{"first_dot", "my.skin.pdb", field("abcdefgh"), 0x0000,
                    over(field("abcdefgh"), std::string("my\0", 3)), 0x0000},
        RewriteCase{"cut_to_31", "d/" + forty + ".prc", field("x"), 0x0021,
                    field(forty.substr(0, 31)), 0x0001},
        RewriteCase{"exactly_31", std::string(31, 'q'), field(""), 0x0000,
                    field(std::string(31, 'q')), 0x0000},
        // The default name is compared after the cut.
        RewriteCase{"default_after_cut",
                    "StatusBarResources" + std::string(20, 'Z'), field(""), 0,
                    field("StatusBarResources" + std::string(13, 'Z')), 0},
        RewriteCase{"all_flags", "a:b\\c/Blue.prc", field("n"), 0xffff,
                    field("Blue"), 0xffdf},
        RewriteCase{"high_byte_0x20_stays", "Blue", field("n"), 0x2000,
                    field("Blue"), 0x2000},
        RewriteCase{"bytes_as_they_stand", "\xe9t\xe9 Sk\x01n.prc", field("n"),
                    0x0021, field("\xe9t\xe9 Sk\x01n"), 0x0001}),
    LabelName());

struct UntouchedCase {
    const char *label;
    std::size_t size;
    const char *path;
    bool complete;
};

static void PrintTo(const UntouchedCase &c, std::ostream *out)
{
    *out << c.label;
}

class RewriteHeaderUntouched : public HeaderFile,
                               public testing::WithParamInterface<UntouchedCase>
{
};

TEST_P(RewriteHeaderUntouched, WritesNothing)
{
    const UntouchedCase &c = GetParam();
    Bytes before = build_database(typical_skin());
    before.resize(c.size);
    const std::string file = join_path(dir, "db.prc");
    write_file(file, before);

    db_file = std::fopen(file.c_str(), "r+b");
    ASSERT_NE(db_file, nullptr);
    EXPECT_EQ(rewrite_header(db_file, c.path), c.complete);
    ASSERT_TRUE(close_database());
    EXPECT_EQ(read_file(file), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RewriteHeaderUntouched,
    testing::Values(UntouchedCase{"empty", 0, "Blue.prc", false},
                    UntouchedCase{"one_byte", 1, "Blue.prc", false},
                    UntouchedCase{"header_only", 78, "Blue.prc", false},
                    UntouchedCase{"one_short", 79, "Blue.prc", false},
                    UntouchedCase{"dot_name", 200, "skins/.pdb", true},
                    UntouchedCase{"ends_in_separator", 200, "skins\\", true},
                    UntouchedCase{"drive_only", 80, "C:", true}),
    LabelName());
