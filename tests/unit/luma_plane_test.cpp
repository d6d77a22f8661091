#include "engine/luma_plane.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/guarded_buffer.h"

namespace {

using Levels = uint8_t[kLutSize];

TEST(LumaLevels, IdentityKeepsEveryValueInBothRanges) {
  const CurveData data = Fresh();
  for (const bool limited : {false, true}) {
    Levels levels;
    BuildLumaLevels(data.lut, limited, levels);
    for (int y = 0; y < kLutSize; ++y) ASSERT_EQ(levels[y], y) << "limited=" << limited;
  }
}

TEST(LumaLevels, WorkedValues) {
  CurveData data = Fresh();
  // Monotone through (64, 32) and (192, 224): entries 64 -> 32, 128 -> 128, 192 -> 224.
  data.kind[kCurveMaster] = kKindMonotone;
  data.points[0] = {64, 32};
  data.points[1] = {192, 224};
  RebuildLut(data);
  Levels full, limited;
  BuildLumaLevels(data.lut, false, full);
  BuildLumaLevels(data.lut, true, limited);
  EXPECT_EQ(full[64], 32);
  EXPECT_EQ(full[192], 224);
  // Limited: y 71 reads as x = (255 * 55 + 109) / 219 = 64 and writes 16 + (219 * 32 + 127) / 255
  // = 43; y 181 reads as x = (255 * 165 + 109) / 219 = 192 and writes 16 + (219 * 224 + 127) / 255
  // = 208; black and white stay, and what lies beyond them moves as they do.
  EXPECT_EQ(limited[71], 43);
  EXPECT_EQ(limited[181], 208);
  EXPECT_EQ(limited[16], 16);
  EXPECT_EQ(limited[235], 235);
  EXPECT_EQ(limited[3], 3);
  EXPECT_EQ(limited[250], 250);

  // A negative: 16 -> 235 and 235 -> 16, so 10 -> 229 and 240 -> 21.
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = 255 - i;
  BuildLumaLevels(data.lut, true, limited);
  EXPECT_EQ(limited[16], 235);
  EXPECT_EQ(limited[235], 16);
  EXPECT_EQ(limited[10], 229);
  EXPECT_EQ(limited[240], 21);
  EXPECT_EQ(limited[0], 219);
  EXPECT_EQ(limited[255], 36);
}

// Rows of a plane or of packed pairs, in place or into another buffer, walked either way, each
// buffer against an inaccessible page: luma bytes mapped, chroma bytes as they were (copied when
// the rows move), row gaps untouched. The scalar path runs with the pair table and without it.
TEST(LumaRows, EveryLayoutOnEveryPathBetweenFences) {
  std::mt19937 rng(1717);
  Levels levels;
  for (uint8_t& l : levels) l = static_cast<uint8_t>(rng());
  auto pairs = std::make_unique<LumaPairs>();
  BuildLumaPairs(levels, *pairs);
  const LumaBytes layouts[] = {LumaBytes::kEvery, LumaBytes::kFirstOfPair,
                               LumaBytes::kSecondOfPair};
  const struct {
    FramePath path;
    const LumaPairs* pairs;
  } ways[] = {{FramePath::kPlain, pairs.get()},
              {FramePath::kScalar, pairs.get()},
              {FramePath::kScalar, nullptr},
              {FramePath::kAvx512, pairs.get()}};
  for (const auto& way : ways) {
    const FramePath path = way.path;
    if (!FramePathRuns(path)) continue;
    for (const LumaBytes luma : layouts) {
      for (int32_t width = 1; width <= 140; width += 3) {
        for (const bool inPlace : {true, false}) {
          const bool pairs = luma != LumaBytes::kEvery;
          const int32_t rowBytes = pairs ? 2 * ((width + 1) / 2) : width;
          const int32_t height = 1 + width % 3;
          const ptrdiff_t gap = width % 5;
          const ptrdiff_t stride = rowBytes + gap;
          const bool upward = width % 2 == 0;
          const size_t bytes = static_cast<size_t>(stride * (height - 1) + rowBytes);
          GuardedBuffer src(bytes, width % 4 < 2 ? GuardedBuffer::Fence::kAfter
                                                 : GuardedBuffer::Fence::kBefore);
          GuardedBuffer other(bytes, width % 4 < 2 ? GuardedBuffer::Fence::kBefore
                                                   : GuardedBuffer::Fence::kAfter);
          for (size_t i = 0; i < bytes; ++i) src.data()[i] = static_cast<unsigned char>(rng());
          for (size_t i = 0; i < bytes; ++i) other.data()[i] = 0xC3;
          const std::vector<unsigned char> before(src.data(), src.data() + bytes);
          unsigned char* dst = inPlace ? src.data() : other.data();
          // Walking upward starts at the last row in memory and steps back.
          const ptrdiff_t first = upward ? stride * (height - 1) : 0;
          const ptrdiff_t pitch = upward ? -stride : stride;
          MapLumaRowsOn(path, levels, way.pairs, luma,
                        ByteRows{src.data() + first, pitch, dst + first, pitch, rowBytes, height});

          const std::string what = std::string(kFramePathNames[int(path)]) +
                                   (way.pairs != nullptr ? " pairs" : "") + " layout " +
                                   std::to_string(int(luma)) + " width " +
                                   std::to_string(width) + (inPlace ? " in place" : " moved");
          for (size_t i = 0; i < bytes; ++i) {
            const ptrdiff_t column = static_cast<ptrdiff_t>(i) % stride;
            const bool inRow = column < rowBytes;
            const bool isLuma = inRow && (luma == LumaBytes::kEvery ||
                                          column % 2 == (luma == LumaBytes::kFirstOfPair ? 0 : 1));
            const unsigned char expected = isLuma ? levels[before[i]]
                                           : inRow || inPlace ? before[i]
                                                              : 0xC3;
            ASSERT_EQ(dst[i], expected) << what << " byte " << i;
            if (!inPlace) {
              ASSERT_EQ(src.data()[i], before[i]) << what << " source byte " << i;
            }
          }
        }
      }
    }
  }
}

}  // namespace
