// A write that the system stops part way, as on a full disk. CTest runs this
// program with the size of the files it may write limited to
// QINGQU_FILE_SIZE_LIMIT bytes: a write that crosses the limit stores the bytes
// below it, moves the position past them and then fails.
#include <cstdlib>

#include <gtest/gtest.h>

#include "tests/text/temp_folder_win.h"
#include "text/file_ops.h"

namespace qingqu {
namespace {

TEST(FileOpsLimitTest, FailedLineLeavesThePositionWhereItBegan) {
    const char* limitSetting = std::getenv("QINGQU_FILE_SIZE_LIMIT");
    if (limitSetting == nullptr) GTEST_SKIP() << "needs the file size limit CTest sets";
    const int limit = std::atoi(limitSetting);
    ASSERT_GT(limit, 100);

    TempFolder folder;
    const Text path = ConcatText(folder.Path(), "/full.txt");
    const int file = OpenFile(path);
    ASSERT_NE(file, 0);
    ASSERT_TRUE(WriteTextLine(file, Text(limit - 15, 'a')));  // 13 bytes left

    // 20 bytes and CR LF: the first 13 reach the file, then the write fails.
    EXPECT_FALSE(WriteTextLine(file, Text(20, 'b')));
    EXPECT_EQ(FileBytes(path).size(), static_cast<std::size_t>(limit));

    // The next line starts where the failed one began, over its first bytes.
    EXPECT_TRUE(WriteTextLine(file, "c"));
    EXPECT_EQ(BytesToText(FileBytes(path)),
              ConcatText(Text(limit - 15, 'a'), "\r\n", "c\r\n", Text(10, 'b')));

    // So does the next line that does not fit: its first bytes stay, and the line
    // after it starts over them.
    EXPECT_FALSE(WriteTextLine(file, Text(20, 'd')));
    EXPECT_TRUE(WriteTextLine(file, "e"));
    EXPECT_EQ(BytesToText(FileBytes(path)),
              ConcatText(Text(limit - 15, 'a'), "\r\n", "c\r\n", "e\r\n", Text(7, 'd')));
    CloseFile(file);
}

}  // namespace
}  // namespace qingqu
