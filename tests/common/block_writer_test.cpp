// A stream handed on in whole blocks: what reaches the file, and where each
// write begins and ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <span>
#include <vector>

#include "common/block_writer.h"

namespace {

using mervalis::BlockWriter;
using Bytes = std::vector<std::uint8_t>;

struct Recorder {
  Bytes file;
  std::vector<std::size_t> sizes;
  int refuseAt = -1;  // the write that fails, counted from 0
  std::vector<const std::uint8_t*> sources;
  bool Write(std::span<const std::uint8_t> bytes) {
    if (static_cast<int>(sizes.size()) == refuseAt) return false;
    sources.push_back(bytes.data());
    sizes.push_back(bytes.size());
    file.insert(file.end(), bytes.begin(), bytes.end());
    return true;
  }
};

Bytes Counting(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  return bytes;
}

// The bitmap's way: a 54-byte header, then bands of rows that are no
// multiple of a page, the last band shorter.
TEST(BlockWriter, WritesWholeBlocksAtBlockOffsetsAndTheRestLast) {
  for (const std::size_t block : {std::size_t{1}, std::size_t{16}, std::size_t{4096}}) {
    SCOPED_TRACE(block);
    const std::vector<std::size_t> pieces = {54, 0, 11520 * 91, 3, 4096, 1, 11520 * 91, 11520 * 7, 5};
    const Bytes stream = Counting(std::accumulate(pieces.begin(), pieces.end(), std::size_t{0}));
    Recorder recorder;
    BlockWriter writer(block, [&](std::span<const std::uint8_t> bytes) { return recorder.Write(bytes); });
    std::size_t at = 0;
    for (const std::size_t size : pieces) {
      ASSERT_TRUE(writer.Add(std::span(stream).subspan(at, size)));
      at += size;
    }
    ASSERT_TRUE(writer.Finish());
    EXPECT_TRUE(recorder.file == stream);
    std::size_t offset = 0;
    for (std::size_t i = 0; i < recorder.sizes.size(); ++i) {
      EXPECT_EQ(offset % block, 0u) << "write " << i;
      if (i + 1 < recorder.sizes.size()) {
        EXPECT_EQ(recorder.sizes[i] % block, 0u) << "write " << i;
      }
      EXPECT_GT(recorder.sizes[i], 0u) << "write " << i;
      offset += recorder.sizes[i];
    }
    // What does not fill a block comes last, on its own.
    if (stream.size() % block != 0) {
      EXPECT_EQ(recorder.sizes.back(), stream.size() % block);
    }
  }
}

TEST(BlockWriter, LargePiecesGoOnFromTheCallersMemory) {
  const Bytes stream = Counting(100 + 10 * 4096);
  Recorder recorder;
  BlockWriter writer(4096, [&](std::span<const std::uint8_t> bytes) { return recorder.Write(bytes); });
  ASSERT_TRUE(writer.Add(std::span(stream).first(100)));
  ASSERT_TRUE(writer.Add(std::span(stream).subspan(100)));
  ASSERT_TRUE(writer.Finish());
  EXPECT_TRUE(recorder.file == stream);
  // The first block gathered, then nine blocks in place, then the last 100 bytes.
  ASSERT_EQ(recorder.sizes, (std::vector<std::size_t>{4096, 9 * 4096, 100}));
  EXPECT_EQ(recorder.sources[1], stream.data() + 4096);
}

TEST(BlockWriter, ARefusedWriteStopsEverything) {
  const Bytes stream = Counting(3 * 4096 + 10);
  for (const int refuse : {0, 1, 2}) {
    SCOPED_TRACE(refuse);
    Recorder recorder;
    recorder.refuseAt = refuse;
    BlockWriter writer(4096, [&](std::span<const std::uint8_t> bytes) { return recorder.Write(bytes); });
    bool added = writer.Add(std::span(stream).first(10));
    added = added && writer.Add(std::span(stream).subspan(10, 2 * 4096));
    added = added && writer.Add(std::span(stream).subspan(10 + 2 * 4096));
    const bool finished = added && writer.Finish();
    EXPECT_FALSE(finished);
    EXPECT_EQ(static_cast<int>(recorder.sizes.size()), refuse);
    EXPECT_FALSE(writer.Add(std::span(stream).first(4096)));
    EXPECT_FALSE(writer.Finish());
    EXPECT_EQ(static_cast<int>(recorder.sizes.size()), refuse) << "written after a refusal";
  }
}

}  // namespace
