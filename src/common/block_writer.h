// A stream of bytes written to a file in whole blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace mervalis {

// Hands a stream of bytes on to `write` in pieces that each begin at a
// multiple of `block` bytes from the stream's start and, all but the last,
// are whole multiples of it. Where a file is written over in place, a write
// that covers a page of it only in part makes the system read the rest of
// that page from the disk first when it is not in memory; pages written
// whole need no reading. The bytes go on from where the caller has them,
// except the short runs either side of a block boundary, which are gathered
// into one block of their own.
class BlockWriter {
 public:
  using Write = std::function<bool(std::span<const std::uint8_t>)>;

  BlockWriter(std::size_t block, Write write);

  // False once `write` has refused a piece; nothing is written after that.
  [[nodiscard]] bool Add(std::span<const std::uint8_t> bytes);
  // Writes what is left over, less than a block; false as Add.
  [[nodiscard]] bool Finish();

 private:
  bool Put(std::span<const std::uint8_t> bytes);

  std::size_t block_;
  Write write_;
  std::vector<std::uint8_t> partial_;  // the beginning of the next block
  bool failed_ = false;
};

}  // namespace mervalis
