// The dialog's record, field by field, without showing the dialog.
#include "run/file_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(FileDialogRecord, IsTheFullRecordForThisArchitecture)
{
    OPENFILENAMEA record;
    char buffer[260];
    fill_open_file_name(&record, buffer);
    EXPECT_EQ(record.lStructSize, sizeof(OPENFILENAMEA));
#ifdef _WIN64
    EXPECT_EQ(record.lStructSize, 152u);
#else
    EXPECT_EQ(record.lStructSize, 88u);
#endif
}

TEST(FileDialogRecord, EveryFieldIsAsSetOrZero)
{
    OPENFILENAMEA record;
    std::memset(&record, 0xa5, sizeof record);
    char buffer[260];
    fill_open_file_name(&record, buffer);

    EXPECT_EQ(record.hwndOwner, nullptr);
    EXPECT_EQ(record.hInstance, nullptr);
    static const char filter[] = "Palm database\0*.prc;*.pdb\0All files\0*.*\0";
    ASSERT_NE(record.lpstrFilter, nullptr);
    EXPECT_EQ(std::memcmp(record.lpstrFilter, filter, sizeof filter), 0)
        << "two pairs, ended by one more zero";
    EXPECT_EQ(record.lpstrCustomFilter, nullptr);
    EXPECT_EQ(record.nMaxCustFilter, 0u);
    EXPECT_EQ(record.nFilterIndex, 1u);
    EXPECT_EQ(record.lpstrFile, buffer);
    EXPECT_EQ(record.nMaxFile, 260u);
    EXPECT_EQ(record.lpstrFileTitle, nullptr);
    EXPECT_EQ(record.nMaxFileTitle, 0u);
    EXPECT_EQ(record.lpstrInitialDir, nullptr);
    EXPECT_STREQ(record.lpstrTitle, "Open File...");
    EXPECT_EQ(record.Flags, 0x1804u);
    EXPECT_EQ(record.Flags,
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                 OFN_FILEMUSTEXIST));
    EXPECT_EQ(record.nFileOffset, 0u);
    EXPECT_EQ(record.nFileExtension, 0u);
    EXPECT_EQ(record.lpstrDefExt, nullptr);
    EXPECT_EQ(record.lCustData, 0);
    EXPECT_EQ(record.lpfnHook, nullptr);
    EXPECT_EQ(record.lpTemplateName, nullptr);
    EXPECT_EQ(record.pvReserved, nullptr);
    EXPECT_EQ(record.dwReserved, 0u);
    EXPECT_EQ(record.FlagsEx, 0u);
}
