#include "run/checked_io.h"
#include "run/entry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <cstring>

using testing::ExitedWithCode;

class CheckedIo : public TempDirTest
{
  protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        path = join_path(dir, "data.bin");
    }
    void TearDown() override
    {
        close_database();
        TempDirTest::TearDown();
    }
    std::FILE *open_with(const Bytes &bytes)
    {
        write_file(path, bytes);
        db_file = std::fopen(path.c_str(), "r+b");
        return db_file;
    }
    std::string path;
};

struct Be16Case {
    unsigned char high, low;
    unsigned value;
};

class ReadBe16 : public CheckedIo, public testing::WithParamInterface<Be16Case>
{
};

TEST_P(ReadBe16, IsBigEndianAndUnsigned)
{
    const Be16Case &c = GetParam();
    std::FILE *stream = open_with({c.high, c.low, 0x5a});
    EXPECT_EQ(read_be16(stream), c.value);
    EXPECT_EQ(read_byte(stream), 0x5au) << "two bytes consumed exactly";
}

INSTANTIATE_TEST_SUITE_P(Values, ReadBe16,
                         testing::Values(Be16Case{0x01, 0x02, 258},
                                         Be16Case{0xff, 0xff, 65535},
                                         Be16Case{0x80, 0x00, 32768},
                                         Be16Case{0x00, 0xff, 255},
                                         Be16Case{0x00, 0x00, 0}));

TEST_F(CheckedIo, ReadByteIsUnsigned)
{
    std::FILE *stream = open_with({0xff, 0x80, 0x00});
    EXPECT_EQ(read_byte(stream), 255u);
    EXPECT_EQ(read_byte(stream), 128u);
    EXPECT_EQ(read_byte(stream), 0u);
}

TEST_F(CheckedIo, FourCcKeepsZeroBytesAndIsTerminated)
{
    std::FILE *stream = open_with({'o', 'v', 0, 'y', 'Z'});
    char code[5];
    std::memset(code, 'x', sizeof code);
    read_four_cc(stream, code);
    const char expected[5] = {'o', 'v', 0, 'y', 0};
    EXPECT_EQ(std::memcmp(code, expected, 5), 0);
    EXPECT_NE(std::memcmp(code, "ovly", 5), 0);
    EXPECT_EQ(read_byte(stream), unsigned('Z'));
}

TEST_F(CheckedIo, SeekToEndOfFileSucceeds)
{
    std::FILE *stream = open_with(Bytes(90, 7));
    seek_exact(stream, 90);
    EXPECT_EQ(std::ftell(stream), 90);
    seek_exact(stream, 3);
    EXPECT_EQ(read_byte(stream), 7u);
}

using CheckedIoDeathTest = CheckedIo;

TEST_F(CheckedIoDeathTest, ReadAtEndOfFileEndsTheRun)
{
    std::FILE *stream = open_with({1});
    EXPECT_EXIT(read_be16(stream), ExitedWithCode(1),
                testing::Eq(std::string("Error reading file.\n")));
}

TEST_F(CheckedIoDeathTest, FailedSeekEndsTheRun)
{
    std::FILE *stream = open_with({1, 2, 3});
    EXPECT_EXIT(seek_exact(stream, -1), ExitedWithCode(1),
                testing::Eq(std::string("Error seeking!\n")));
}

TEST_F(CheckedIoDeathTest, FatalExitWithoutDatabaseOnlyEnds)
{
    ASSERT_EQ(db_file, nullptr);
    EXPECT_EXIT(fatal_exit("Error seeking!"), ExitedWithCode(1),
                testing::Eq(std::string("Error seeking!\n")));
}

TEST_F(CheckedIoDeathTest, BufferedWriteReachesDiskBeforeExit)
{
    // Where the death test runs in a new copy of the test program, that copy
    // must write to the very file this one looks at afterwards.
    std::string shared =
        join_path(temp_dir_path(), "prcfix-fatal-exit-" + build_tag() + ".bin");
    write_file(shared, Bytes(20, '.'));
    db_file = std::fopen(shared.c_str(), "r+b");
    ASSERT_NE(db_file, nullptr);
    EXPECT_EXIT(
        {
            seek_exact(db_file, 5);
            std::fputc('X', db_file);
            fatal_exit("Error reading file.\n");
        },
        ExitedWithCode(1), testing::Eq(std::string("Error reading file.\n")));
    close_database();
    Bytes expected(20, '.');
    expected[5] = 'X';
    EXPECT_EQ(read_file(shared), expected);
    std::remove(shared.c_str());
}

#ifdef __linux__
// /dev/full accepts no data: the write is only attempted when a seek writes
// out the buffer, and that seek must then fail.
TEST_F(CheckedIoDeathTest, SeekFailsWhenPendingOutputCannotBeWritten)
{
    db_file = std::fopen("/dev/full", "r+b");
    ASSERT_NE(db_file, nullptr);
    EXPECT_EXIT(
        {
            std::fwrite("OVLY", 4, 1, db_file);
            seek_exact(db_file, 0);
        },
        ExitedWithCode(1), testing::Eq(std::string("Error seeking!\n")));
}

// The failed write is noted on the stream, though the C library may drop
// the buffer so that the close itself goes through.
TEST_F(CheckedIo, CloseReportsAnEarlierFailedWrite)
{
    db_file = std::fopen("/dev/full", "r+b");
    ASSERT_NE(db_file, nullptr);
    std::fwrite("OVLY", 4, 1, db_file);
    EXPECT_NE(std::fflush(db_file), 0);
    EXPECT_FALSE(close_database());
}

TEST_F(CheckedIo, CloseReportsLostOutput)
{
    db_file = std::fopen("/dev/full", "r+b");
    ASSERT_NE(db_file, nullptr);
    std::fwrite("OVLY", 4, 1, db_file);
    EXPECT_FALSE(close_database());
    EXPECT_EQ(db_file, nullptr);
}
#endif
