#include "text/file_ops.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/text/temp_folder_win.h"
#include "text/scoped_win.h"
#include "text/wide_win.h"

namespace qingqu {
namespace {

// Code page 936 names whose characters end in the byte 0x5C, the code of "\":
// "中文乗" and "结果奬.txt".
constexpr std::string_view kChineseFolder = "\xD6\xD0\xCE\xC4\x81\x5C";
constexpr std::string_view kChineseFile = "\xBD\xE1\xB9\xFB\x8A\x5C.txt";

class FileOpsTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int file : opened_) CloseFile(file);
        SetCurrentDirectoryW(startDirectory_.c_str());
    }

    // A file number that is closed again after the test, so the folder can go.
    int Open(std::string_view path) {
        const int file = OpenFile(path);
        if (file != 0) opened_.push_back(file);
        return file;
    }

    Text Path(std::string_view name) const { return ConcatText(folder_.Path(), "/", name); }

    TempFolder folder_;

private:
    std::vector<int> opened_;
    std::wstring startDirectory_ = CurrentDirectoryW();
};

TEST_F(FileOpsTest, ReadWholeFileReturnsEveryByteOrNothing) {
    PutFile(Path("empty.txt"), {});
    PutFile(Path("zeros.bin"), {'a', 0, 'b', 0, 0});
    EXPECT_EQ(ReadWholeFile(Path("zeros.bin")), Bytes({'a', 0, 'b', 0, 0}));
    EXPECT_TRUE(ReadWholeFile(Path("empty.txt")).empty());
    EXPECT_TRUE(ReadWholeFile(Path("missing.txt")).empty());
    EXPECT_TRUE(ReadWholeFile("").empty());
    EXPECT_TRUE(ReadWholeFile(folder_.Path()).empty());
    EXPECT_TRUE(ReadWholeFile(ConcatText(Path("zeros.bin"), std::string_view("\0x", 2))).empty());
}

TEST_F(FileOpsTest, ReadWholeFileRefusesAFileOthersMayWrite) {
    const Text path = Path("held.txt");
    PutFile(path, {'o', 'k'});
    struct Case {
        DWORD access, share;
        bool readable;
    };
    const Case cases[] = {
        {GENERIC_READ, FILE_SHARE_READ, true},
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},
        {GENERIC_READ, 0, false},
    };
    for (const auto& c : cases) {
        const ScopedHandle other(CreateFileW(TextToWide(path).c_str(), c.access, c.share, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other.IsValid());
        EXPECT_EQ(ReadWholeFile(path).size(), c.readable ? 2u : 0u)
            << "access " << c.access << " share " << c.share;
    }

    // A result file that is being written cannot be read until it is closed.
    const int file = Open(path);
    ASSERT_NE(file, 0);
    ASSERT_TRUE(WriteTextLine(file, "x"));
    EXPECT_TRUE(ReadWholeFile(path).empty());
    ASSERT_TRUE(CloseFile(file));
    EXPECT_EQ(ReadWholeFile(path), Bytes({'x', '\r', '\n'}));
}

TEST_F(FileOpsTest, OpenFileEmptiesAnExistingFile) {
    const Text path = Path("result.txt");
    PutFile(path, {'o', 'l', 'd', ' ', 'l', 'i', 'n', 'e', 's', '\r', '\n'});
    const int file = Open(path);
    ASSERT_NE(file, 0);
    EXPECT_TRUE(FileBytes(path).empty());
    EXPECT_TRUE(WriteTextLine(file, "x"));
    EXPECT_EQ(FileBytes(path), Bytes({0x78, 0x0D, 0x0A}));
}

TEST_F(FileOpsTest, LinesFollowEachOtherUnchanged) {
    const Text path = Path("lines.txt");
    const int file = Open(path);
    ASSERT_NE(file, 0);
    EXPECT_TRUE(FileBytes(path).empty());  // created at once, before any line
    EXPECT_TRUE(WriteTextLine(file, ""));
    EXPECT_EQ(FileBytes(path), Bytes({'\r', '\n'}));
    EXPECT_TRUE(WriteTextLine(file, "http://a.cn/?q=\xD6\xD0"));
    EXPECT_TRUE(WriteTextLine(file, "b\n"));
    EXPECT_EQ(BytesToText(FileBytes(path)), "\r\nhttp://a.cn/?q=\xD6\xD0\r\nb\n\r\n");
}

TEST_F(FileOpsTest, TwoNumbersForOnePathKeepTheirOwnPositions) {
    const Text path = Path("twice.txt");
    const int earlier = Open(path);
    ASSERT_NE(earlier, 0);
    ASSERT_TRUE(WriteTextLine(earlier, "12345678"));  // 10 bytes

    const int later = Open(path);
    ASSERT_NE(later, 0);
    EXPECT_NE(later, earlier);
    EXPECT_TRUE(FileBytes(path).empty());
    ASSERT_TRUE(WriteTextLine(later, "ab"));
    ASSERT_TRUE(WriteTextLine(earlier, "z"));
    EXPECT_EQ(FileBytes(path), Bytes({'a', 'b', '\r', '\n', 0, 0, 0, 0, 0, 0, 'z', '\r', '\n'}));
}

TEST_F(FileOpsTest, WhatCannotBeOpenedGivesZeroAndWritesNothing) {
    const Text missingFolder = Path("missing");
    EXPECT_EQ(OpenFile(ConcatText(missingFolder, "/out.txt")), 0);
    EXPECT_EQ(OpenFile(""), 0);
    EXPECT_EQ(OpenFile(Path("other-mode.txt"), 1), 0);
    EXPECT_EQ(OpenFile(folder_.Path()), 0);
    EXPECT_FALSE(WriteTextLine(0, "x"));
    EXPECT_FALSE(WriteTextLine(-1, "x"));
    EXPECT_FALSE(WriteTextLine(0x7FFF0000, "x"));
    EXPECT_THAT(folder_.Names(), ::testing::IsEmpty());
    EXPECT_EQ(GetFileAttributesW(TextToWide(missingFolder).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileOpsTest, ClosedFileTakesNoMoreLines) {
    const Text path = Path("closed.txt");
    const int file = OpenFile(path);
    ASSERT_NE(file, 0);
    ASSERT_TRUE(WriteTextLine(file, "a"));
    EXPECT_TRUE(CloseFile(file));
    EXPECT_FALSE(WriteTextLine(file, "b"));
    EXPECT_FALSE(CloseFile(file));
    EXPECT_FALSE(CloseFile(0));
    EXPECT_EQ(ReadWholeFile(path), Bytes({'a', '\r', '\n'}));
    // Numbers are not given out again, so the old one stays refused.
    const int next = Open(path);
    EXPECT_NE(next, file);
    EXPECT_FALSE(WriteTextLine(file, "b"));
}

TEST_F(FileOpsTest, ChinesePathsWork) {
    const Text folder = Path(kChineseFolder);
    ASSERT_TRUE(CreateDirectoryW(TextToWide(folder).c_str(), nullptr));
    const Text path = ConcatText(folder, "\\", kChineseFile);
    const int file = Open(path);
    ASSERT_NE(file, 0);
    ASSERT_TRUE(WriteTextLine(file, "\xD6\xD0"));
    ASSERT_TRUE(CloseFile(file));
    EXPECT_EQ(BytesToText(ReadWholeFile(path)), "\xD6\xD0\r\n");

    ASSERT_TRUE(ChangeDirectory(folder));
    EXPECT_EQ(TextRight(CurrentDirectory(), 7), ConcatText("\\", kChineseFolder));
    EXPECT_EQ(BytesToText(ReadWholeFile(kChineseFile)), "\xD6\xD0\r\n");
}

TEST_F(FileOpsTest, ChangeDirectoryMovesRelativePaths) {
    const Text before = CurrentDirectory();
    ASSERT_FALSE(before.empty());
    EXPECT_FALSE(ChangeDirectory(""));
    EXPECT_FALSE(ChangeDirectory(Path("missing")));
    EXPECT_EQ(CurrentDirectory(), before);

    ASSERT_TRUE(ChangeDirectory(folder_.Path()));
    const int file = Open("relative.txt");
    ASSERT_NE(file, 0);
    ASSERT_TRUE(WriteTextLine(file, "r"));
    EXPECT_EQ(FileBytes(Path("relative.txt")), Bytes({'r', '\r', '\n'}));
    // Both separators work, and the directory reads back as the system names it.
    ASSERT_TRUE(ChangeDirectory(ConcatText(folder_.Path(), "/.")));
    EXPECT_EQ(ReplaceText(CurrentDirectory(), "/", "\\", false),
              ReplaceText(folder_.Path(), "/", "\\", false));
}

TEST_F(FileOpsTest, RunDirectoryHoldsTheProgram) {
    wchar_t module[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    ASSERT_GT(length, 0u);
    const std::wstring_view modulePath(module, length);
    const Text programName = WideToText(modulePath.substr(modulePath.rfind(L'\\') + 1));

    const Text directory = RunDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_NE(directory.back(), '/');
    const Bytes program = ReadWholeFile(ConcatText(directory, "/", programName));
    ASSERT_GE(program.size(), 2u);
    EXPECT_EQ(program[0], 'M');
    EXPECT_EQ(program[1], 'Z');
    EXPECT_EQ(RunDirectory(), directory);
}

TEST_F(FileOpsTest, ThreadsOpenAndWriteAtOnce) {
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::vector<int> files(kThreads);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t, &files] {
            files[t] = OpenFile(Path(ConcatText("thread", NumberToText(t), ".txt")));
            for (int line = 0; line < kLines; ++line)
                WriteTextLine(files[t], NumberToText(t * kLines + line));
        });
    }
    for (auto& writer : writers) writer.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_NE(files[t], 0);
        for (int other = 0; other < t; ++other) EXPECT_NE(files[t], files[other]);
        CloseFile(files[t]);
        Text expected;
        for (int line = 0; line < kLines; ++line)
            expected += ConcatText(NumberToText(t * kLines + line), "\r\n");
        EXPECT_EQ(BytesToText(ReadWholeFile(Path(ConcatText("thread", NumberToText(t), ".txt")))),
                  expected);
    }
}

}  // namespace
}  // namespace qingqu
