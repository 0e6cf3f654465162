// The rows of the URL list, kept by the program itself so that the list view
// only draws what is on screen and a million rows stay cheap to append and read.
//
//   RowStore rows;
//   int row = rows.Append();            // a row whose three cells are empty
//   rows.SetCell(row, kUrlColumn, "http://a.example/");
//   std::string_view url = rows.Cell(row, kUrlColumn);
//
// Short cells (up to 15 bytes: IDs, verdicts) sit inside the row; longer ones in
// large shared blocks that are given back when the rows are cleared. A view from
// Cell() stays valid until that cell is set again or the rows are cleared.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace qingqu {

inline constexpr int kIdColumn = 0;
inline constexpr int kUrlColumn = 1;
inline constexpr int kStatusColumn = 2;
inline constexpr int kColumnCount = 3;

class RowStore {
public:
    int Count() const noexcept { return static_cast<int>(rows_.size()); }
    // Appends a row with empty cells and gives its index, or -1 when the store is full.
    int Append();
    // Does nothing for a row or column that does not exist.
    void SetCell(int row, int column, std::string_view text);
    // The empty text for a row or column that does not exist.
    std::string_view Cell(int row, int column) const noexcept;
    void Clear() noexcept;

private:
    // 16 bytes: the text itself when it fits in 15, else a pointer into a block.
    class Slot {
    public:
        static constexpr std::size_t kInlineCapacity = 15;
        std::string_view View() const noexcept;
        void SetInline(std::string_view text) noexcept;
        void SetFar(const char* data, std::uint32_t size) noexcept;

    private:
        static constexpr unsigned char kFarTag = 0xFF;
        std::array<char, 16> bytes_{};  // last byte: inline length, or kFarTag
    };
    using Row = std::array<Slot, kColumnCount>;

    const char* Keep(std::string_view text);

    std::vector<Row> rows_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockUsed_ = 0;
    std::size_t blockSize_ = 0;
};

}  // namespace qingqu
