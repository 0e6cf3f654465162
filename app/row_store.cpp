#include "app/row_store.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace qingqu {

namespace {
constexpr std::size_t kBlockSize = 1 << 20;

bool IsCell(int row, int column, int rowCount) noexcept {
    return row >= 0 && row < rowCount && column >= 0 && column < kColumnCount;
}
}  // namespace

std::string_view RowStore::Slot::View() const noexcept {
    const auto tag = static_cast<unsigned char>(bytes_[15]);
    if (tag != kFarTag) return {bytes_.data(), tag};
    const char* data;
    std::uint32_t size;
    std::memcpy(&data, bytes_.data(), sizeof data);
    std::memcpy(&size, bytes_.data() + sizeof data, sizeof size);
    return {data, size};
}

void RowStore::Slot::SetInline(std::string_view text) noexcept {
    std::memcpy(bytes_.data(), text.data(), text.size());
    bytes_[15] = static_cast<char>(text.size());
}

void RowStore::Slot::SetFar(const char* data, std::uint32_t size) noexcept {
    std::memcpy(bytes_.data(), &data, sizeof data);
    std::memcpy(bytes_.data() + sizeof data, &size, sizeof size);
    bytes_[15] = static_cast<char>(kFarTag);
}

int RowStore::Append() {
    if (rows_.size() >= static_cast<std::size_t>(INT_MAX)) return -1;
    rows_.emplace_back();
    return Count() - 1;
}

void RowStore::SetCell(int row, int column, std::string_view text) {
    if (!IsCell(row, column, Count())) return;
    Slot& cell = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (text.size() <= Slot::kInlineCapacity) {
        cell.SetInline(text);
    } else {
        text = text.substr(0, UINT32_MAX);
        cell.SetFar(Keep(text), static_cast<std::uint32_t>(text.size()));
    }
}

std::string_view RowStore::Cell(int row, int column) const noexcept {
    if (!IsCell(row, column, Count())) return {};
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].View();
}

void RowStore::Clear() noexcept {
    rows_.clear();
    rows_.shrink_to_fit();
    blocks_.clear();
    blockUsed_ = blockSize_ = 0;
}

// A replaced long cell leaves its old bytes in the block until the rows are
// cleared: cells are set once by an import and rarely again, so this costs
// little and keeps every row at a fixed 48 bytes.
const char* RowStore::Keep(std::string_view text) {
    if (blockSize_ - blockUsed_ < text.size()) {
        blockSize_ = std::max(kBlockSize, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        blockUsed_ = 0;
    }
    char* kept = blocks_.back().get() + blockUsed_;
    std::memcpy(kept, text.data(), text.size());
    blockUsed_ += text.size();
    return kept;
}

}  // namespace qingqu
