#include "app/row_store.h"

#include <gtest/gtest.h>

#include <string>

namespace qingqu {
namespace {

TEST(RowStoreTest, NewRowsHaveEmptyCellsAndCountUp) {
    RowStore rows;
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.Append(), 0);
    EXPECT_EQ(rows.Append(), 1);
    EXPECT_EQ(rows.Count(), 2);
    for (int column = 0; column < kColumnCount; ++column) EXPECT_EQ(rows.Cell(1, column), "");
}

TEST(RowStoreTest, CellsKeepTextsOfEveryLength) {
    RowStore rows;
    const std::string texts[] = {"",
                                 "1",
                                 std::string(15, 'a'),
                                 std::string(16, 'b'),
                                 std::string(100000, 'c'),
                                 "\xD2\xD1\xCA\xD5\xC2\xBC"};
    for (const std::string& text : texts) {
        const int row = rows.Append();
        rows.SetCell(row, kUrlColumn, text);
        rows.SetCell(row, kStatusColumn, text + "!");
    }
    for (int row = 0; row < rows.Count(); ++row) {
        EXPECT_EQ(rows.Cell(row, kUrlColumn), texts[row]) << row;
        EXPECT_EQ(rows.Cell(row, kStatusColumn), texts[row] + "!") << row;
        EXPECT_EQ(rows.Cell(row, kIdColumn), "") << row;
    }
}

TEST(RowStoreTest, SettingACellAgainReplacesItWhateverTheLengths) {
    RowStore rows;
    rows.Append();
    const std::string sequence[] = {"short", std::string(40, 'x'), std::string(50, 'y'), "s", ""};
    for (const std::string& text : sequence) {
        rows.SetCell(0, kUrlColumn, text);
        EXPECT_EQ(rows.Cell(0, kUrlColumn), text);
    }
}

TEST(RowStoreTest, CellsOutsideTheRowsAreEmptyAndCannotBeSet) {
    RowStore rows;
    rows.Append();
    rows.SetCell(0, kUrlColumn, "kept");
    for (auto [row, column] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, kColumnCount}}) {
        rows.SetCell(row, column, "lost");
        EXPECT_EQ(rows.Cell(row, column), "");
    }
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.Cell(0, kUrlColumn), "kept");
}

TEST(RowStoreTest, ClearEmptiesTheStoreAndNumberingStartsAgain) {
    RowStore rows;
    for (int i = 0; i < 1000; ++i) rows.SetCell(rows.Append(), kUrlColumn, std::string(30, 'u'));
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(rows.Cell(0, kUrlColumn), "");
    EXPECT_EQ(rows.Append(), 0);
    rows.SetCell(0, kUrlColumn, std::string(30, 'v'));
    EXPECT_EQ(rows.Cell(0, kUrlColumn), std::string(30, 'v'));
}

TEST(RowStoreTest, LongCellsLargerThanABlockStayWhole) {
    RowStore rows;
    const std::string huge((1 << 20) + 5, 'h');
    rows.SetCell(rows.Append(), kUrlColumn, "first long cell of the block");
    rows.SetCell(rows.Append(), kUrlColumn, huge);
    rows.SetCell(rows.Append(), kUrlColumn, "another long cell after it");
    EXPECT_EQ(rows.Cell(0, kUrlColumn), "first long cell of the block");
    EXPECT_EQ(rows.Cell(1, kUrlColumn), huge);
    EXPECT_EQ(rows.Cell(2, kUrlColumn), "another long cell after it");
}

}  // namespace
}  // namespace qingqu
