#include "engine/frame_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/frame_map_paths.h"
#include "tests/support/expected_pixel.h"
#include "tests/support/guarded_frame.h"

namespace {

CurveData InvertedCurve(ChannelMode mode) {
  CurveData data;
  InitCurveData(data);
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = 255 - i;
  data.mode = mode;
  return data;
}

uint32_t MapOnePixel(const CurveData& data, uint32_t pixel) {
  uint32_t out = 0xDEADBEEF;
  const FrameSpan frame{&pixel, 0, &out, 0, 1, 1};
  EXPECT_EQ(MapFrame(data, frame), 0);
  return out;
}

// The curves a frame is mapped through: the master curve alone (every setting of the original
// design), all four curves different, or two channel curves alike with the others the identity
// (two mapped channels sharing one table).
enum class CurveSet { kMasterOnly, kFourCurves, kTwoChannelsAlike };
constexpr CurveSet kCurveSets[] = {CurveSet::kMasterOnly, CurveSet::kFourCurves,
                                   CurveSet::kTwoChannelsAlike};

// What the master maps: the channels, luma by either weights, and a stored value that names no
// target (read as the channels).
constexpr MasterTarget kTargets[] = {kTargetChannels, kTargetLuma709, kTargetLuma601, 7};

// Full 32-bit entries: only their low bytes may reach the pixels.
CurveData RandomCurves(std::mt19937& rng, ChannelMode mode, CurveSet set,
                       MasterTarget target = kTargetChannels) {
  CurveData data;
  InitCurveData(data);
  data.mode = mode;
  data.target = target;
  const auto randomize = [&](int32_t* lut) {
    for (int i = 0; i < kLutSize; ++i) lut[i] = static_cast<int32_t>(rng());
  };
  switch (set) {
    case CurveSet::kMasterOnly: randomize(data.lut); break;
    case CurveSet::kFourCurves:
      randomize(data.lut);
      for (ChannelCurve& c : data.channel) randomize(c.lut);
      break;
    case CurveSet::kTwoChannelsAlike: {
      const int left = static_cast<int>(rng() % 3);
      randomize(data.channel[(left + 1) % 3].lut);
      std::memcpy(data.channel[(left + 2) % 3].lut, data.channel[(left + 1) % 3].lut,
                  sizeof data.channel[0].lut);
    }
  }
  return data;
}

TEST(MapFrame, ReplacesTheChannelsEachModeSelects) {
  EXPECT_EQ(MapOnePixel(InvertedCurve(0), 0x80112233u), 0x00EEDDCCu);
  EXPECT_EQ(MapOnePixel(InvertedCurve(1), 0x80112233u), 0x00EE2233u);
  EXPECT_EQ(MapOnePixel(InvertedCurve(2), 0x80112233u), 0x0011DD33u);
  EXPECT_EQ(MapOnePixel(InvertedCurve(3), 0x80112233u), 0x001122CCu);
  EXPECT_EQ(MapOnePixel(InvertedCurve(7), 0x80112233u), 0x00EEDDCCu);
  EXPECT_EQ(MapOnePixel(InvertedCurve(255), 0x80112233u), 0x00EEDDCCu);
}

TEST(MapFrame, PutsEachChannelsOwnCurveBeforeTheMaster) {
  CurveData data = InvertedCurve(kModeRgb);
  for (int i = 0; i < kLutSize; ++i) {
    data.channel[kCurveRed - 1].lut[i] = i / 2;
    data.channel[kCurveGreen - 1].lut[i] = (i + 1) & 0xFF;
    data.channel[kCurveBlue - 1].lut[i] = 255 - i;
  }
  // Own curves alone: 0x11 -> 0x08, 0x22 -> 0x23, 0x33 -> 0xCC; the master then inverts.
  EXPECT_EQ(MapOnePixel(data, 0x80112233u), 0x00F7DC33u);
  data.mode = kModeRed;
  EXPECT_EQ(MapOnePixel(data, 0x80112233u), 0x00F723CCu);
  data.mode = kModeGreen;
  EXPECT_EQ(MapOnePixel(data, 0x80112233u), 0x0008DCCCu);
  data.mode = kModeBlue;
  EXPECT_EQ(MapOnePixel(data, 0x80112233u), 0x00082333u);
}

TEST(MapFrame, IdentityCopiesAndClearsTheTopByte) {
  CurveData data;
  InitCurveData(data);
  EXPECT_EQ(MapOnePixel(data, 0x80112233u), 0x00112233u);
  EXPECT_EQ(MapOnePixel(data, 0xFFFFFFFFu), 0x00FFFFFFu);
}

TEST(MapFrame, UsesOnlyTheLowByteOfTableEntries) {
  CurveData data;
  InitCurveData(data);
  data.lut[0x11] = 0x7FFFFF01;
  data.lut[0x22] = -2;  // 0xFFFFFFFE
  EXPECT_EQ(MapOnePixel(data, 0x00112233u), 0x0001FE33u);
}

TEST(MapFrame, ModuloStepsOverRowGapsOnEachSide) {
  CurveData data;
  InitCurveData(data);
  // 2 x 2 frame: source rows 16 bytes apart, destination rows packed.
  uint32_t src[6] = {0x01, 0x02, 0xAA, 0xBB, 0x03, 0x04};
  uint32_t dst[4] = {};
  const FrameSpan frame{src, 8, dst, 0, 2, 2};
  EXPECT_EQ(MapFrame(data, frame), 0);
  EXPECT_EQ(dst[0], 0x01u);
  EXPECT_EQ(dst[1], 0x02u);
  EXPECT_EQ(dst[2], 0x03u);
  EXPECT_EQ(dst[3], 0x04u);
}

TEST(MapFrame, EmptyFramesTouchNothing) {
  CurveData data;
  InitCurveData(data);
  // Every path starts from the same check, so one entry covers them all.
  for (const auto& size : {std::pair<int, int>{0, 5}, {5, 0}, {-1, 5}, {5, -3}, {0, 0}, {-7, -7}}) {
    // Null buffers: any access would crash.
    const FrameSpan frame{nullptr, 0, nullptr, 0, size.first, size.second};
    EXPECT_EQ(MapFrame(data, frame), 0);
  }
}

// Seeded random frames of many shapes between fences: every pixel as expected, every gap byte
// untouched, and nothing outside the frames read (a stray access faults).
TEST(MapFrame, RandomFramesBetweenFences) {
  std::mt19937 rng(20261208);
  const ChannelMode modes[] = {0, 1, 2, 3, 4, 7, 255};
  for (int32_t w = 1; w <= 67; ++w) {
    const int32_t h = 1 + static_cast<int32_t>(rng() % 4);
    const ptrdiff_t srcGap = 4 * static_cast<ptrdiff_t>(rng() % 5);
    const ptrdiff_t dstGap = 4 * static_cast<ptrdiff_t>(rng() % 3);
    // Downward walks (bottom-up pictures) on every other width.
    const bool downward = w % 2 == 0;
    const ptrdiff_t srcModulo = downward ? -8 * w - srcGap : srcGap;
    const ptrdiff_t dstModulo = downward ? -8 * w - dstGap : dstGap;
    const auto fence = w % 3 == 0 ? GuardedBuffer::Fence::kBefore : GuardedBuffer::Fence::kAfter;
    const size_t lead = 4 * (rng() % 4);

    const CurveData data = RandomCurves(rng, modes[w % 7], kCurveSets[w % 3], kTargets[w % 4]);

    GuardedFrame src(w, h, srcModulo, fence, lead);
    GuardedFrame dst(w, h, dstModulo,
                     fence == GuardedBuffer::Fence::kAfter ? GuardedBuffer::Fence::kBefore
                                                           : GuardedBuffer::Fence::kAfter,
                     lead);
    for (int32_t row = 0; row < h; ++row)
      for (int32_t col = 0; col < w; ++col) src.SetPixel(row, col, static_cast<uint32_t>(rng()));

    const FrameSpan frame{src.first(), src.modulo(), dst.first(), dst.modulo(), w, h};
    ASSERT_EQ(MapFrame(data, frame), 0);

    for (int32_t row = 0; row < h; ++row)
      for (int32_t col = 0; col < w; ++col)
        ASSERT_EQ(dst.Pixel(row, col), ExpectedPixel(data, src.Pixel(row, col)))
            << "w=" << w << " row=" << row << " col=" << col << " mode=" << int(data.mode)
            << " target=" << int(data.target);
    EXPECT_EQ(dst.ChangedGapBytes(), 0u) << "w=" << w;
    EXPECT_EQ(src.ChangedGapBytes(), 0u) << "w=" << w;
  }
}

// Every compiled path against the plain loop. A path this processor cannot run is reported as
// skipped, never passed.
class EveryFramePath : public testing::TestWithParam<FramePath> {
 protected:
  void SetUp() override {
    if (!FramePathRuns(GetParam()))
      GTEST_SKIP() << "this processor cannot run the " << kFramePathNames[int(GetParam())]
                   << " path";
  }
};

// A frame's source with random pixels (top bytes included) and a destination for each of the two
// mappings, each flush against an inaccessible page on the side `fence` names.
struct FramePair {
  FramePair(int32_t w, int32_t h, ptrdiff_t srcModulo, ptrdiff_t dstModulo,
            GuardedBuffer::Fence srcFence, GuardedBuffer::Fence dstFence, std::mt19937& rng)
      : src(w, h, srcModulo, srcFence, RowLead(rng)),
        plain(w, h, dstModulo, dstFence, RowLead(rng)),
        tested(w, h, dstModulo, dstFence, RowLead(rng)) {
    for (int32_t row = 0; row < h; ++row)
      for (int32_t col = 0; col < w; ++col) src.SetPixel(row, col, static_cast<uint32_t>(rng()));
  }
  // Shifts a frame that starts after the leading fence to a multiple of 4 bytes that is not one
  // of 16, where a vector load of the first pixels straddles boundaries.
  static size_t RowLead(std::mt19937& rng) { return 4 * (1 + 4 * (rng() % 4) + rng() % 3); }

  FrameSpan Span(GuardedFrame& dst) {
    return FrameSpan{src.first(), src.modulo(), dst.first(), dst.modulo(), src.width(),
                     src.height()};
  }

  // The tested path's frame against the plain loop's, and every gap byte untouched.
  void ExpectSameAsPlain(const char* what) {
    for (int32_t row = 0; row < src.height(); ++row)
      for (int32_t col = 0; col < src.width(); ++col)
        ASSERT_EQ(tested.Pixel(row, col), plain.Pixel(row, col))
            << what << " row=" << row << " col=" << col << " source=" << std::hex
            << src.Pixel(row, col);
    EXPECT_EQ(tested.ChangedGapBytes(), 0u) << what;
    EXPECT_EQ(src.ChangedGapBytes(), 0u) << what;
  }

  GuardedFrame src, plain, tested;
};

TEST_P(EveryFramePath, MatchesThePlainLoopForEveryShapeBetweenFences) {
  std::mt19937 rng(77031);
  const ChannelMode modes[] = {0, 1, 2, 3, 4, 7, 128, 255};
  // Every row length of four whole vector blocks and more, so every ragged end, each walked
  // upwards and downwards (bottom-up pictures) with every set of curves and every target.
  for (int32_t w = 1; w <= 67; ++w) {
    for (const bool downward : {false, true}) {
      for (const CurveSet set : kCurveSets) {
        for (const MasterTarget target : kTargets) {
          const bool readFenceAfter = (w + downward + int(set) + target) % 2 == 0;
          const int32_t h = 1 + static_cast<int32_t>(rng() % 4);
          const ptrdiff_t srcGap = 4 * static_cast<ptrdiff_t>(rng() % 5);
          const ptrdiff_t dstGap = 4 * static_cast<ptrdiff_t>(rng() % 3);
          const auto after = GuardedBuffer::Fence::kAfter, before = GuardedBuffer::Fence::kBefore;
          FramePair pair(w, h, downward ? -8 * w - srcGap : srcGap,
                         downward ? -8 * w - dstGap : dstGap, readFenceAfter ? after : before,
                         readFenceAfter ? before : after, rng);
          const CurveData data =
              RandomCurves(rng, modes[(w + 3 * downward + int(set)) % 8], set, target);

          ASSERT_EQ(MapFrameOn(FramePath::kPlain, data, pair.Span(pair.plain)), 0);
          ASSERT_EQ(MapFrameOn(GetParam(), data, pair.Span(pair.tested)), 0);
          std::ostringstream what;
          what << "w=" << w << " h=" << h << " mode=" << int(data.mode) << " curves=" << int(set)
               << " target=" << int(target) << " downward=" << downward
               << " readFenceAfter=" << readFenceAfter;
          pair.ExpectSameAsPlain(what.str().c_str());
          if (HasFatalFailure()) return;
        }
      }
    }
  }
}

TEST_P(EveryFramePath, MatchesThePlainLoopForEveryModeValue) {
  std::mt19937 rng(4411);
  for (int mode = 0; mode <= 255; ++mode) {
    // 37 pixels: whole vector blocks and a ragged end in every row.
    FramePair pair(37, 3, 12, 8, GuardedBuffer::Fence::kAfter, GuardedBuffer::Fence::kAfter, rng);
    const CurveSet set = kCurveSets[mode % 3];
    const CurveData data =
        RandomCurves(rng, static_cast<ChannelMode>(mode), set, kTargets[mode / 3 % 4]);
    ASSERT_EQ(MapFrameOn(FramePath::kPlain, data, pair.Span(pair.plain)), 0);
    ASSERT_EQ(MapFrameOn(GetParam(), data, pair.Span(pair.tested)), 0);
    pair.ExpectSameAsPlain(("mode=" + std::to_string(mode) + " curves=" + std::to_string(int(set)) +
                            " target=" + std::to_string(int(data.target)))
                               .c_str());
    if (HasFatalFailure()) return;
  }
}

// Pixels whose weighted sum lies exactly half a level above a luma boundary (where the rounding
// goes up) or just below that, for either set of weights: random pixels almost never do.
std::vector<uint32_t> LumaRoundingEdges() {
  static constexpr uint32_t kWeights[2][3] = {{13933, 46871, 4732}, {19595, 38470, 7471}};
  std::vector<uint32_t> pixels;
  for (const auto& w : kWeights) {
    for (uint32_t rgb = 0; rgb < (1u << 24); ++rgb) {
      const uint32_t fraction =
          (w[0] * (rgb >> 16) + w[1] * ((rgb >> 8) & 0xFF) + w[2] * (rgb & 0xFF)) & 0xFFFF;
      if (fraction == 0x8000 || fraction == 0x7FFF) pixels.push_back(rgb | rgb << 24);
    }
  }
  return pixels;
}

TEST_P(EveryFramePath, MatchesThePlainLoopWhereLumaRounds) {
  static const std::vector<uint32_t> edges = LumaRoundingEdges();
  std::mt19937 rng(26);
  const int32_t w = 37, h = static_cast<int32_t>(edges.size() + w - 1) / w;
  for (const MasterTarget target : {kTargetLuma709, kTargetLuma601}) {
    for (const CurveSet set : {CurveSet::kMasterOnly, CurveSet::kFourCurves}) {
      FramePair pair(w, h, 4, 0, GuardedBuffer::Fence::kAfter, GuardedBuffer::Fence::kAfter, rng);
      for (size_t i = 0; i < edges.size(); ++i)
        pair.src.SetPixel(static_cast<int32_t>(i) / w, static_cast<int32_t>(i) % w, edges[i]);
      const CurveData data = RandomCurves(rng, kModeRgb, set, target);
      ASSERT_EQ(MapFrameOn(FramePath::kPlain, data, pair.Span(pair.plain)), 0);
      ASSERT_EQ(MapFrameOn(GetParam(), data, pair.Span(pair.tested)), 0);
      pair.ExpectSameAsPlain(("target=" + std::to_string(int(target)) +
                              " curves=" + std::to_string(int(set)))
                                 .c_str());
      if (HasFatalFailure()) return;
      if (set != CurveSet::kMasterOnly) continue;
      // The reference itself, where only the rounding tells right from wrong.
      for (size_t i = 0; i < edges.size(); ++i)
        ASSERT_EQ(pair.plain.Pixel(static_cast<int32_t>(i) / w, static_cast<int32_t>(i) % w),
                  ExpectedPixel(data, edges[i]))
            << std::hex << edges[i];
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, EveryFramePath,
                         testing::Values(FramePath::kScalar, FramePath::kAvx512),
                         [](const testing::TestParamInfo<FramePath>& info) {
                           return std::string(kFramePathNames[int(info.param)]);
                         });

// The plain loop is the reference the paths are held to, so it is held to the pixel rule itself.
TEST(PlainLoop, WritesThePixelRuleForEveryShape) {
  std::mt19937 rng(1203);
  for (int32_t w = 1; w <= 67; w += 3) {
    const int32_t h = 1 + static_cast<int32_t>(rng() % 4);
    FramePair pair(w, h, -8 * w - 4, 4, GuardedBuffer::Fence::kBefore,
                   GuardedBuffer::Fence::kAfter, rng);
    const CurveData data = RandomCurves(rng, static_cast<ChannelMode>(w % 5), kCurveSets[w % 3],
                                        kTargets[w % 4]);
    ASSERT_EQ(MapFrameOn(FramePath::kPlain, data, pair.Span(pair.plain)), 0);
    for (int32_t row = 0; row < h; ++row)
      for (int32_t col = 0; col < w; ++col)
        ASSERT_EQ(pair.plain.Pixel(row, col), ExpectedPixel(data, pair.src.Pixel(row, col)))
            << "w=" << w << " row=" << row << " col=" << col;
    EXPECT_EQ(pair.plain.ChangedGapBytes(), 0u) << "w=" << w;
  }
}

// Settings of every target, kind and curve on seeded frames: what MapFrame writes, whichever path
// it takes, and the tables behind it are the same in the native, sanitizer and both Windows
// builds.
TEST(MapFrame, DigestOfSeededSettingsAndFramesIsTheSameInEveryBuild) {
  std::mt19937 rng(150715);
  uint64_t digest = 14695981039346656037ull;  // FNV-1a over the written bytes
  for (int round = 0; round < 64; ++round) {
    CurveData data;
    InitCurveData(data);
    data.mode = static_cast<ChannelMode>(rng() % 5);
    data.target = kTargets[round % 4];
    for (int curve = 0; curve < kCurveCount; ++curve) {
      if (curve != kCurveMaster && rng() % 2 == 0) continue;
      data.kind[curve] = static_cast<CurveKind>(rng() % kKindCount);
      const int points = 1 + static_cast<int>(rng() % 5);
      for (int i = 0; i < points; ++i)
        CurvePoints(data, curve)[i] = ControlPoint{static_cast<int32_t>(rng() % 256),
                                                   static_cast<int32_t>(rng() % 256)};
    }
    RebuildAllCurves(data);
    const int32_t w = 1 + static_cast<int32_t>(rng() % 70), h = 1 + static_cast<int32_t>(rng() % 5);
    std::vector<uint32_t> src(static_cast<size_t>(w) * h), dst(src.size());
    for (uint32_t& p : src) p = static_cast<uint32_t>(rng());
    ASSERT_EQ(MapFrame(data, FrameSpan{src.data(), 0, dst.data(), 0, w, h}), 0);
    for (const uint32_t p : dst) {
      for (int byte = 0; byte < 4; ++byte) {
        digest ^= (p >> (8 * byte)) & 0xFF;
        digest *= 1099511628211ull;
      }
    }
  }
  EXPECT_EQ(digest, 0x2a50fb1b9cda2df2ull);
}

// A pixel of each kind worked by hand. Under Rec. 709 (200, 100, 50) has luma
// (13933*200 + 46871*100 + 4732*50 + 32768) >> 16 = 7743068 >> 16 = 118; the monotone master
// through (64, 32) and (192, 224) takes 118 to 109, so every channel moves by -9. (250, 250, 10)
// has luma 233, which goes to 248: +15 takes red and green past white. (10, 60, 250) has luma 63,
// which goes to 31: -32 takes red below black. The mode plays no part.
TEST(MapFrame, LumaTargetMovesEveryChannelByTheMastersChangeOfLuma) {
  CurveData data;
  InitCurveData(data);
  data.kind[kCurveMaster] = kKindMonotone;
  data.points[0] = ControlPoint{64, 32};
  data.points[1] = ControlPoint{192, 224};
  RebuildLut(data);
  ASSERT_EQ(data.lut[118], 109);
  ASSERT_EQ(data.lut[233], 248);
  ASSERT_EQ(data.lut[63], 31);
  data.target = kTargetLuma709;
  for (const ChannelMode mode : {kModeRgb, kModeRed, kModeBlue}) {
    data.mode = mode;
    EXPECT_EQ(MapOnePixel(data, 0xFFC86432u), 0x00BF5B29u) << int(mode);  // (191, 91, 41)
    EXPECT_EQ(MapOnePixel(data, 0x00FAFA0Au), 0x00FFFF19u) << int(mode);  // (255, 255, 25)
    EXPECT_EQ(MapOnePixel(data, 0x000A3CFAu), 0x00001CDAu) << int(mode);  // (0, 28, 218)
  }
  // Rec. 601 weighs red more: (200, 100, 50) has luma 124, which goes to 121.
  data.target = kTargetLuma601;
  ASSERT_EQ(data.lut[124], 121);
  EXPECT_EQ(MapOnePixel(data, 0x00C86432u), 0x00C5612Fu);  // (197, 97, 47)
}

}  // namespace
