#include "common/block_writer.h"

#include <algorithm>
#include <utility>

namespace mervalis {

BlockWriter::BlockWriter(std::size_t block, Write write)
    : block_(std::max<std::size_t>(block, 1)), write_(std::move(write)) {
  partial_.reserve(block_);
}

bool BlockWriter::Put(std::span<const std::uint8_t> bytes) {
  if (!failed_ && !write_(bytes)) failed_ = true;
  return !failed_;
}

bool BlockWriter::Add(std::span<const std::uint8_t> bytes) {
  if (failed_) return false;
  if (!partial_.empty()) {
    const std::size_t take = std::min(block_ - partial_.size(), bytes.size());
    partial_.insert(partial_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (partial_.size() < block_) return true;
    if (!Put(partial_)) return false;
    partial_.clear();
  }
  const std::size_t whole = bytes.size() - bytes.size() % block_;
  if (whole > 0 && !Put(bytes.first(whole))) return false;
  partial_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(whole), bytes.end());
  return true;
}

bool BlockWriter::Finish() {
  if (failed_) return false;
  if (partial_.empty()) return true;
  const bool written = Put(partial_);
  partial_.clear();
  return written;
}

}  // namespace mervalis
