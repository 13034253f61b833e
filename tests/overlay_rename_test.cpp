#include "pdb/overlay_rename.h"
#include "run/checked_io.h"
#include "run/entry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using testing::ExitedWithCode;

struct OverlayCase {
    const char *label;
    std::vector<std::string> types;
    std::vector<std::size_t> renamed; // entries whose type becomes "OVLY"
};

static void PrintTo(const OverlayCase &c, std::ostream *out)
{
    *out << c.label;
}

class OverlayRename : public TempDirTest
{
  protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        file = join_path(dir, "db.prc");
    }
    void TearDown() override
    {
        close_database();
        TempDirTest::TearDown();
    }
    void open_with(const Bytes &bytes)
    {
        write_file(file, bytes);
        db_file = std::fopen(file.c_str(), "r+b");
        ASSERT_NE(db_file, nullptr);
    }
    std::string file;
};

static DatabasePlan with_types(const std::vector<std::string> &types)
{
    DatabasePlan plan;
    unsigned id = 0;
    for (const std::string &type : types)
        plan.resources.push_back({type, id++, Bytes(12, 0x6f)});
    return plan;
}

class OverlayRenameTable : public OverlayRename,
                           public testing::WithParamInterface<OverlayCase>
{
};

TEST_P(OverlayRenameTable, RetypesExactlyTheOvlyEntries)
{
    const OverlayCase &c = GetParam();
    const Bytes before = build_database(with_types(c.types));
    open_with(before);
    // The pass positions the stream itself.
    std::fseek(db_file, 0, SEEK_END);
    rename_overlay_resources(db_file);
    ASSERT_TRUE(close_database());

    Bytes expected = before;
    for (std::size_t i : c.renamed)
        std::memcpy(&expected[78 + 10 * i], "OVLY", 4);
    EXPECT_EQ(read_file(file), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, OverlayRenameTable,
    testing::Values(
        OverlayCase{"empty_table", {}, {}},
        OverlayCase{
            "one_among_others", {"Tbmp", "tSTR", "ovly", "Tbmp", "tver"}, {2}},
        OverlayCase{"only_entry", {"ovly"}, {0}},
        OverlayCase{"first_and_last", {"ovly", "Tbmp", "Tbmp", "ovly"}, {0, 3}},
        OverlayCase{"neighbours", {"Tbmp", "ovly", "ovly", "tSTR"}, {1, 2}},
        OverlayCase{"other_cases_stay",
                    {"OVLY", "Ovly", "ovlY", "ovl ", " ovl", "ovlx"},
                    {}},
        OverlayCase{"zero_bytes_stay",
                    {std::string("ov\0y", 4), std::string("ovl\0", 4), "ovly"},
                    {2}},
        OverlayCase{"none", {"Tbmp", "tSTR", "tver"}, {}}),
    LabelName());

TEST_F(OverlayRename, CountOfZeroReadsNothingAfterTheCount)
{
    DatabasePlan plan = with_types({"ovly", "ovly"});
    plan.stored_count = 0;
    Bytes before = build_database(plan);
    open_with(before);
    rename_overlay_resources(db_file);
    EXPECT_EQ(std::ftell(db_file), 78);
    ASSERT_TRUE(close_database());
    EXPECT_EQ(read_file(file), before);
}

// With a count larger than the table, the filler and the resource data are
// read as further entries; an "ovly" there is retyped too.
TEST_F(OverlayRename, CountPastTheTableReadsOnIntoTheData)
{
    DatabasePlan plan;
    Bytes data(40, 0x11);
    std::memcpy(&data[8], "ovly", 4); // entry 2 = filler + data[0..7]
    plan.resources.push_back({"Tbmp", 1, data});
    plan.resources.push_back({"ovly", 2, Bytes(4, 0x22)});
    plan.stored_count = 4;
    Bytes before = build_database(plan);
    open_with(before);
    rename_overlay_resources(db_file);
    ASSERT_TRUE(close_database());

    Bytes expected = before;
    std::memcpy(&expected[88], "OVLY", 4);
    std::memcpy(&expected[108], "OVLY", 4);
    EXPECT_EQ(read_file(file), expected);
}

struct ShortTableCase {
    const char *label;
    std::size_t cut;                  // bytes of the file kept
    std::vector<std::size_t> renamed; // entries retyped before the end
};

static void PrintTo(const ShortTableCase &c, std::ostream *out)
{
    *out << c.label;
}

class OverlayRenameShortDeathTest
    : public OverlayRename,
      public testing::WithParamInterface<ShortTableCase>
{
};

// Entries 1 and 3 are "ovly"; the file is cut inside the table.
TEST_P(OverlayRenameShortDeathTest, EndsTheRunAndKeepsEarlierRewrites)
{
    const ShortTableCase &c = GetParam();
    Bytes whole = build_database(with_types({"Tbmp", "ovly", "Tbmp", "ovly"}));
    Bytes before(whole.begin(), whole.begin() + c.cut);
    const std::string shared = join_path(
        temp_dir_path(), "prcfix-short-" + build_tag() + "-" + c.label);
    write_file(shared, before);
    db_file = std::fopen(shared.c_str(), "r+b");
    ASSERT_NE(db_file, nullptr);
    EXPECT_EXIT(rename_overlay_resources(db_file), ExitedWithCode(1),
                testing::Eq(std::string("Error reading file.\n")));
    close_database();

    Bytes expected = before;
    for (std::size_t i : c.renamed)
        std::memcpy(&expected[78 + 10 * i], "OVLY", 4);
    EXPECT_EQ(read_file(shared), expected);
    std::remove(shared.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, OverlayRenameShortDeathTest,
    testing::Values(ShortTableCase{"no_count", 77, {}},
                    ShortTableCase{"no_entries", 78, {}},
                    ShortTableCase{"inside_first_type", 80, {}},
                    ShortTableCase{"after_ovly_type", 92, {1}},
                    ShortTableCase{"inside_last_id", 113, {1, 3}},
                    ShortTableCase{"before_last_byte", 117, {1, 3}}),
    LabelName());
