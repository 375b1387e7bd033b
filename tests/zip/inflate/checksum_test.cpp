#include "zip/inflate/checksum.h"

#include "zip/inflate/crc32_kernels.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vornel {
namespace {

TEST(ChecksumTest, KnownValues) {
  EXPECT_EQ(ArCrc32Update(0, "", 0), 0u);
  EXPECT_EQ(ArCrc32Update(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(ArAdler32Update(1, "", 0), 1u);
  EXPECT_EQ(ArAdler32Update(1, "Wikipedia", 9), 0x11E60398u);
}

TEST(ChecksumTest, ByteStepIsTheRawRegisterStep) {
  // Complemented in and out, the byte step must agree with the bulk update.
  std::uint32_t reg = 0xFFFFFFFFu;
  for (char c : std::string("123456789"))
    reg = ArCrc32Step(reg, static_cast<std::uint8_t>(c));
  EXPECT_EQ(~reg, 0xCBF43926u);
}

// Every length from 0 to 300 (tails of the 16-byte loop) and larger buffers, split
// at odd places, against zlib; also the Adler-32 chunk limit (5552) and all-0xFF
// bytes, the worst case for its sums.
TEST(ChecksumTest, MatchesZlibOverLengthsAndSplits) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> data(200000);
  for (auto& b : data)
    b = static_cast<std::uint8_t>(random());
  std::vector<std::size_t> sizes;
  for (std::size_t n = 0; n <= 300; ++n)
    sizes.push_back(n);
  for (std::size_t n : {5551u, 5552u, 5553u, 65536u, 199999u})
    sizes.push_back(n);
  for (bool ones : {false, true}) {
    if (ones)
      std::fill(data.begin(), data.end(), 0xFF);
    for (std::size_t size : sizes) {
      const std::size_t split = size / 3 + 1 > size ? size : size / 3 + 1;
      std::uint32_t crc = ArCrc32Update(0, data.data(), split);
      crc = ArCrc32Update(crc, data.data() + split, size - split);
      std::uint32_t adler = ArAdler32Update(1, data.data(), split);
      adler = ArAdler32Update(adler, data.data() + split, size - split);
      ASSERT_EQ(crc, crc32(0, data.data(), static_cast<uInt>(size))) << size;
      ASSERT_EQ(adler, adler32(1, data.data(), static_cast<uInt>(size))) << size;
      // Unaligned start.
      if (size > 1) {
        ASSERT_EQ(ArCrc32Update(0, data.data() + 1, size - 1),
                  crc32(0, data.data() + 1, static_cast<uInt>(size - 1)))
            << size;
      }
    }
  }
}

// Each kernel that this processor runs, against the byte step of the table method:
// every length from 0 to 4096 (the folding loops, their tails and the hand-over to
// the table) from sixteen starts (every alignment of a 16-byte chunk), continuing
// a running value that differs per start.
TEST(ChecksumTest, KernelsMatchTheTableMethod) {
  std::mt19937 random(21);
  std::vector<std::uint8_t> data(4096 + 16);
  for (auto& b : data)
    b = static_cast<std::uint8_t>(random());
  const TArCrc32Features features = ArCrc32ProcessorFeatures();
  std::vector<TArCrc32Kernel> kernels = {ckrTable};
  if (features.Clmul)
    kernels.push_back(ckrClmul);
  if (features.WideClmul)
    kernels.push_back(ckrWideClmul);
  ::testing::Test::RecordProperty("kernels", static_cast<int>(kernels.size()));
  for (const TArCrc32Kernel kernel : kernels) {
    SCOPED_TRACE(static_cast<int>(kernel));
    for (std::size_t start = 0; start < 16; ++start) {
      const std::uint32_t before = static_cast<std::uint32_t>(random());
      std::uint32_t reg = ~before;  // the raw register, advanced one byte at a time
      for (std::size_t size = 0; size <= 4096; ++size) {
        ASSERT_EQ(ArCrc32UpdateWith(kernel, before, data.data() + start, size), ~reg)
            << "start " << start << ", size " << size;
        reg = ArCrc32Step(reg, data[start + size]);
      }
    }
  }
}

TEST(ChecksumTest, KernelChoiceFollowsTheFeatures) {
  EXPECT_EQ(ArCrc32KernelFor({}), ckrTable);
  EXPECT_EQ(ArCrc32KernelFor({.Clmul = true, .WideClmul = false}), ckrClmul);
  EXPECT_EQ(ArCrc32KernelFor({.Clmul = true, .WideClmul = true}), ckrWideClmul);
  EXPECT_EQ(ArCrc32ActiveKernel(), ArCrc32KernelFor(ArCrc32ProcessorFeatures()));

  // A processor without the carry-less instructions: the fallback that the choice
  // makes gives zlib's values, whole and split.
  const TArCrc32Kernel fallback = ArCrc32KernelFor({});
  std::mt19937 random(5);
  std::vector<std::uint8_t> data(100003);
  for (auto& b : data)
    b = static_cast<std::uint8_t>(random());
  std::uint32_t crc = ArCrc32UpdateWith(fallback, 0, data.data(), 777);
  crc = ArCrc32UpdateWith(fallback, crc, data.data() + 777, data.size() - 777);
  EXPECT_EQ(crc, crc32(0, data.data(), static_cast<uInt>(data.size())));
  EXPECT_EQ(ArCrc32UpdateWith(fallback, 0, "123456789", 9), 0xCBF43926u);
}

}  // namespace
}  // namespace vornel
