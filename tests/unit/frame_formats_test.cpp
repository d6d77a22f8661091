#include "host/frame_formats.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/luma_plane.h"
#include "host/activation.h"
#include "host/pixel_formats.h"
#include "tests/support/fresh_curve.h"

namespace {

std::unique_ptr<InstanceBlock> NewBlock() {
  auto block = std::make_unique<InstanceBlock>();
  std::memset(block.get(), 0x5A, sizeof(InstanceBlock));
  InitCurveData(block->settings);
  InitFrameTables(block->tables);
  return block;
}

// Settings of each effect: none, luma only (an S-curve on luma), channels (the same on RGB).
enum class Effect { kNone, kLuma, kChannels };
void Apply(Effect effect, InstanceBlock& block) {
  CurveData& d = block.settings;
  ResetAllCurves(d);
  d.target = kTargetChannels;
  if (effect == Effect::kNone) return;
  d.kind[kCurveMaster] = kKindMonotone;
  d.points[0] = {64, 32};
  d.points[1] = {192, 224};
  RebuildAllCurves(d);
  if (effect == Effect::kLuma) d.target = kTargetLuma709;
}

// A frame of one format: each plane in a buffer of its own with padding after every row, bytes
// random; the pixmap (and its alpha tail) describes them.
struct TestFrame {
  TestFrame(int32_t code, int32_t w, int32_t h, uint32_t seed) {
    const PixelFormat f = DescribePixelFormat(code);
    std::memset(&pixmap, 0, sizeof pixmap);
    pixmap.base.format = code;
    pixmap.base.w = w;
    pixmap.base.h = h;
    const int32_t sample = f.family == FormatFamily::kPlanar16 ? 2 : 1;
    const int32_t cw = (w + (1 << f.chromaShiftX) - 1) >> f.chromaShiftX;
    const int32_t ch = (h + (1 << f.chromaShiftY) - 1) >> f.chromaShiftY;
    std::vector<std::pair<int32_t, int32_t>> shapes;  // row bytes, rows
    switch (f.family) {
      case FormatFamily::kPacked: shapes = {{2 * w, h}}; break;
      case FormatFamily::kSemiPlanar: shapes = {{w, h}, {2 * cw, ch}}; break;
      case FormatFamily::kPlanar8:
      case FormatFamily::kPlanar16:
        shapes = {{sample * w, h}, {sample * cw, ch}, {sample * cw, ch}};
        if (f.alpha) shapes.push_back({sample * w, h});
        break;
      default: shapes = {{BytesPerPixel(f.family) * w, h}};
    }
    std::mt19937 rng(seed);
    void** data[] = {&pixmap.base.data, &pixmap.base.data2, &pixmap.base.data3, &pixmap.data4};
    ptrdiff_t* pitch[] = {&pixmap.base.pitch, &pixmap.base.pitch2, &pixmap.base.pitch3,
                          &pixmap.pitch4};
    for (size_t i = 0; i < shapes.size(); ++i) {
      const ptrdiff_t stride = shapes[i].first + 4;
      rowBytes.push_back(shapes[i].first);
      planes.emplace_back(static_cast<size_t>(stride * shapes[i].second));
      for (unsigned char& b : planes.back()) b = static_cast<unsigned char>(rng());
      *data[i] = planes.back().data();
      *pitch[i] = stride;
    }
  }
  // Whether byte i of plane p is part of a row, not padding.
  bool InRow(size_t p, size_t i) const {
    return static_cast<ptrdiff_t>(i) % (rowBytes[p] + 4) < rowBytes[p];
  }
  std::vector<std::vector<unsigned char>> planes;
  std::vector<int32_t> rowBytes;
  PixmapAlpha pixmap;
};

struct ChoiceCase {
  Effect effect;
  int32_t code;
  int32_t width;
  int32_t flags;  // kParamNotSupported when refused
};

constexpr int32_t kAlt = kParamAltFormats | kParamPureTransform;
constexpr int32_t kSwap = kAlt | kParamSwapBuffers;
constexpr int32_t kNo = kParamNotSupported;

TEST(ChooseFrameFormat, FormatsBySettings) {
  const ChoiceCase cases[] = {
      // Nothing changes: every known format, where it lies; unknown codes and the probe refused.
      {Effect::kNone, 8, 64, kAlt},       {Effect::kNone, 57, 64, kAlt},
      {Effect::kNone, 15, 64, kAlt},      {Effect::kNone, 10, 63, kNo},
      {Effect::kNone, 77, 64, kAlt},      {Effect::kNone, 7, 64, kAlt},
      {Effect::kNone, 255, 64, kNo},      {Effect::kNone, 5, 64, kNo},
      // Luma alone: RGB in a buffer of its own, luma and Y'CbCr in place.
      {Effect::kLuma, 8, 64, kSwap},      {Effect::kLuma, 57, 64, kSwap},
      {Effect::kLuma, 9, 64, kAlt},       {Effect::kLuma, 24, 64, kAlt},
      {Effect::kLuma, 61, 64, kAlt},      {Effect::kLuma, 15, 63, kAlt},
      {Effect::kLuma, 42, 64, kAlt},      {Effect::kLuma, 51, 64, kAlt},
      {Effect::kLuma, 23, 64, kAlt},      {Effect::kLuma, 10, 64, kAlt},
      {Effect::kLuma, 39, 64, kAlt},      {Effect::kLuma, 11, 63, kNo},
      {Effect::kLuma, 60, 64, kAlt},      {Effect::kLuma, 74, 64, kAlt},
      {Effect::kLuma, 77, 64, kAlt},      {Effect::kLuma, 255, 64, kNo},
      {Effect::kLuma, 0, 64, kNo},
      // Anything else: RGB only.
      {Effect::kLuma, 7, 64, kSwap},      {Effect::kChannels, 7, 64, kSwap},
      {Effect::kChannels, 8, 64, kSwap},  {Effect::kChannels, 57, 64, kSwap},
      {Effect::kChannels, 9, 64, kNo},    {Effect::kChannels, 15, 64, kNo},
      {Effect::kChannels, 61, 64, kNo},   {Effect::kChannels, 23, 64, kNo},
      {Effect::kChannels, 255, 64, kNo},
  };
  auto block = NewBlock();
  for (const ChoiceCase& c : cases) {
    Apply(c.effect, *block);
    PixmapLayoutAlpha srcLayout, dstLayout;
    std::memset(&srcLayout, 0x11, sizeof srcLayout);
    std::memset(&dstLayout, 0x77, sizeof dstLayout);
    srcLayout.base.format = dstLayout.base.format = c.code;
    srcLayout.base.w = dstLayout.base.w = c.width;
    dstLayout.base.pitch = 0;
    VFBitmapEx src{}, dst{};
    src.mpPixmapLayout = &srcLayout.base;
    dst.mpPixmapLayout = &dstLayout.base;
    const std::string what =
        "effect " + std::to_string(int(c.effect)) + " code " + std::to_string(c.code);
    EXPECT_EQ(ChooseFrameFormat(*block, &src, &dst), c.flags) << what;
    EXPECT_EQ(block->tables.format, c.flags == kNo ? 0 : c.code) << what;
    const bool inPlace = c.flags != kNo && (c.flags & kParamSwapBuffers) == 0;
    // In place dst takes src's layout (the alpha plane's too); otherwise the host lays dst out.
    const size_t compared = DescribePixelFormat(c.code).alpha ? sizeof srcLayout
                                                              : sizeof srcLayout.base;
    EXPECT_EQ(std::memcmp(&dstLayout, &srcLayout, compared) == 0, inPlace) << what;
  }
}

// A luma-only frame in place: luma through the master's levels for the range the host states (or
// the code names), chroma and alpha byte for byte as they were.
TEST(MapPixmapFrame, LumaAloneInPlaceLeavesChroma) {
  auto block = NewBlock();
  Apply(Effect::kLuma, *block);
  uint8_t full[kLutSize], limited[kLutSize];
  BuildLumaLevels(block->settings.lut, false, full);
  BuildLumaLevels(block->settings.lut, true, limited);
  struct Case {
    int32_t code;
    int32_t rangeMode;  // the info's, when given
    bool colourModes;
    bool limited;
  };
  const Case cases[] = {{15, 0, true, true},  {35, 0, true, false}, {15, 2, true, false},
                        {35, 1, true, true},  {15, 2, false, true}, {23, 0, true, true},
                        {23, 2, true, false}, {74, 0, true, true},  {10, 0, true, true},
                        {39, 0, true, false}, {24, 1, true, true},  {17, 0, true, true}};
  for (const Case& c : cases) {
    TestFrame frame(c.code, 37 + (c.code == 10 || c.code == 39), 5, c.code);
    const std::vector<std::vector<unsigned char>> before = frame.planes;
    PixmapInfo info{};
    info.colorRangeMode = c.rangeMode;
    ASSERT_EQ(MapPixmapFrame(*block, &frame.pixmap.base, &frame.pixmap.base, &info,
                             c.colourModes),
              0)
        << c.code;
    const uint8_t* levels = c.limited ? limited : full;
    const PixelFormat f = DescribePixelFormat(c.code);
    const ptrdiff_t stride = frame.pixmap.base.pitch;
    for (size_t i = 0; i < before[0].size(); ++i) {
      const ptrdiff_t column = static_cast<ptrdiff_t>(i) % stride;
      const bool luma = frame.InRow(0, i) && (f.family != FormatFamily::kPacked ||
                                              column % 2 == (f.lumaSecond ? 1 : 0));
      ASSERT_EQ(frame.planes[0][i], luma ? levels[before[0][i]] : before[0][i])
          << "code " << c.code << " byte " << i;
    }
    for (size_t p = 1; p < before.size(); ++p)
      EXPECT_EQ(frame.planes[p], before[p]) << "code " << c.code << " plane " << p;
  }
  ReleaseDeepTables(block->tables);  // the luma pair table
}

// Frames that do not fit what their format says, and formats the settings do not take: refused,
// nothing written.
TEST(MapPixmapFrame, RefusesWhatDoesNotFitAndWritesNothing) {
  using Change = std::function<void(PixmapAlpha& src, PixmapAlpha& dst)>;
  struct Case {
    const char* name;
    Effect effect;
    int32_t code;
    Change change;
  };
  const Case cases[] = {
      {"no chroma plane", Effect::kLuma, 15,
       [](PixmapAlpha& s, PixmapAlpha&) { s.base.data3 = nullptr; }},
      {"no luma plane", Effect::kLuma, 61,
       [](PixmapAlpha& s, PixmapAlpha&) { s.base.data = nullptr; }},
      {"rows overlap", Effect::kLuma, 9,
       [](PixmapAlpha& s, PixmapAlpha& d) { s.base.pitch = d.base.pitch = 10; }},
      {"chroma rows overlap", Effect::kLuma, 14,
       [](PixmapAlpha& s, PixmapAlpha&) { s.base.pitch2 = -4; }},
      {"no alpha plane", Effect::kLuma, 77,
       [](PixmapAlpha& s, PixmapAlpha&) { s.data4 = nullptr; }},
      {"NV12 pairs overlap", Effect::kLuma, 23,
       [](PixmapAlpha& s, PixmapAlpha&) { s.base.pitch2 = 20; }},
      {"odd packed width", Effect::kLuma, 11,
       [](PixmapAlpha& s, PixmapAlpha& d) { s.base.w = d.base.w = 37; }},
      {"formats differ", Effect::kLuma, 15,
       [](PixmapAlpha&, PixmapAlpha& d) { d.base.format = 28; }},
      {"sizes differ", Effect::kChannels, 8, [](PixmapAlpha&, PixmapAlpha& d) { d.base.h = 4; }},
      {"no pixels", Effect::kChannels, 57,
       [](PixmapAlpha& s, PixmapAlpha& d) { s.base.w = d.base.w = 0; }},
      {"row bytes beyond 32 bits", Effect::kChannels, 57,
       [](PixmapAlpha& s, PixmapAlpha& d) { s.base.w = d.base.w = 1 << 29; }},
      {"unknown code", Effect::kNone, 99, [](PixmapAlpha&, PixmapAlpha&) {}},
      {"Y'CbCr under channel curves", Effect::kChannels, 15, [](PixmapAlpha&, PixmapAlpha&) {}},
      {"16 bits against 7", Effect::kLuma, 61, [](PixmapAlpha&, PixmapAlpha&) {}},
  };
  auto block = NewBlock();
  for (const Case& c : cases) {
    Apply(c.effect, *block);
    TestFrame src(c.code, 38, 5, 1), dst(c.code, 38, 5, 2);
    c.change(src.pixmap, dst.pixmap);
    const auto srcBefore = src.planes, dstBefore = dst.planes;
    PixmapInfo info{};
    info.ref_r = 7;
    const PixmapInfo* given = std::string(c.name) == "16 bits against 7" ? &info : nullptr;
    EXPECT_EQ(MapPixmapFrame(*block, &src.pixmap.base, &dst.pixmap.base, given, true), 1)
        << c.name;
    EXPECT_EQ(src.planes, srcBefore) << c.name;
    EXPECT_EQ(dst.planes, dstBefore) << c.name;
  }
  EXPECT_EQ(MapPixmapFrame(*block, nullptr, nullptr, nullptr, false), 1);
}

// 24-bit pixels come out as the same pixels in 32 bits do, on the channels and on luma, with and
// without channel curves.
TEST(MapPixmapFrame, TwentyFourBitPixelsAsThirtyTwoBitOnes) {
  auto block = NewBlock();
  for (const bool channelCurve : {false, true}) {
    for (const MasterTarget target : {kTargetChannels, kTargetLuma709, kTargetLuma601}) {
      Apply(Effect::kChannels, *block);
      block->settings.target = target;
      if (channelCurve) {
        block->settings.channel[1].points[0] = {100, 160};
        RebuildAllCurves(block->settings);
      }
      TestFrame rgb24(7, 33, 4, 5), out24(7, 33, 4, 6), rgb32(8, 33, 4, 7), out32(8, 33, 4, 8);
      for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 33; ++x)
          for (int c = 0; c < 3; ++c)
            rgb32.planes[0][y * (4 * 33 + 4) + 4 * x + c] =
                rgb24.planes[0][y * (3 * 33 + 4) + 3 * x + c];
      ASSERT_EQ(MapPixmapFrame(*block, &rgb24.pixmap.base, &out24.pixmap.base, nullptr, false), 0);
      ASSERT_EQ(MapPixmapFrame(*block, &rgb32.pixmap.base, &out32.pixmap.base, nullptr, false), 0);
      for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 33; ++x)
          for (int c = 0; c < 3; ++c)
            ASSERT_EQ(out24.planes[0][y * (3 * 33 + 4) + 3 * x + c],
                      out32.planes[0][y * (4 * 33 + 4) + 4 * x + c])
                << "target " << int(target) << " curve " << channelCurve << " x " << x;
    }
  }
}

uint16_t Word(const std::vector<unsigned char>& plane, size_t at) {
  uint16_t v;
  std::memcpy(&v, plane.data() + at, 2);
  return v;
}

// 16-bit samples against the frame's reference: a linear negative maps code v to black + white - v
// in range, alpha copied, chroma passed through into another buffer.
TEST(MapPixmapFrame, SixteenBitSamplesAgainstTheReference) {
  auto block = NewBlock();
  CurveData& d = block->settings;
  d.kind[kCurveMaster] = kKindLinear;
  d.points[0] = {0, 255};
  d.points[1] = {255, 0};
  RebuildAllCurves(d);
  struct Case {
    int32_t code;
    uint32_t ref;
    int32_t rangeMode;
    uint32_t black, white;
  };
  const Case cases[] = {{57, 65535, 0, 0, 65535}, {57, 1023, 0, 0, 1023},
                        {60, 1023, 2, 0, 1023},   {60, 1023, 0, 64, 940},
                        {61, 0xFF00, 1, 4096, 60160}, {77, 65535, 2, 0, 65535}};
  for (const Case& c : cases) {
    d.target = c.code == 57 ? kTargetChannels : kTargetLuma601;
    TestFrame src(c.code, 20, 3, c.ref), dst(c.code, 20, 3, 9);
    // Codes within the bit depth, in range.
    for (auto& plane : src.planes)
      for (size_t i = 0; i + 1 < plane.size(); i += 2) {
        const uint16_t v =
            static_cast<uint16_t>(c.black + (Word(plane, i) % (c.white - c.black + 1)));
        std::memcpy(plane.data() + i, &v, 2);
      }
    PixmapInfo info{};
    info.ref_r = c.ref;
    info.colorRangeMode = c.rangeMode;
    ASSERT_EQ(MapPixmapFrame(*block, &src.pixmap.base, &dst.pixmap.base, &info, true), 0) << c.code;
    const ptrdiff_t stride = src.pixmap.base.pitch;
    for (size_t i = 0; i + 1 < src.planes[0].size(); i += 2) {
      if (!src.InRow(0, i)) continue;
      const uint16_t in = Word(src.planes[0], i), out = Word(dst.planes[0], i);
      const bool alpha = c.code == 57 && static_cast<ptrdiff_t>(i) % stride % 8 == 6;
      ASSERT_EQ(out, alpha ? in : c.black + c.white - in) << "code " << c.code << " at " << i;
    }
    for (size_t p = 1; p < src.planes.size(); ++p)
      for (size_t i = 0; i < src.planes[p].size(); ++i) {
        if (!src.InRow(p, i)) continue;
        ASSERT_EQ(dst.planes[p][i], src.planes[p][i]) << "code " << c.code << " plane " << p;
      }
  }
  ReleaseDeepTables(block->tables);
}

// Tables built for earlier settings are never used for later ones, whoever changed them: a frame
// mapped after an edit comes out as a fresh instance with the edited settings maps it.
TEST(FrameTables, FollowTheSettingsAsTheyChange) {
  for (const int32_t code : {8, 7, 15, 57, 60, 9, 24}) {
    auto block = NewBlock();
    Apply(Effect::kLuma, *block);
    PixmapInfo info{};
    info.ref_r = 1023;
    TestFrame src(code, 24, 3, 3), dst(code, 24, 3, 4);
    ASSERT_EQ(MapPixmapFrame(*block, &src.pixmap.base, &dst.pixmap.base, &info, true), 0);
    const auto first = dst.planes;
    // An edit as the dialog makes it: a point moved and the table rebuilt in place.
    block->settings.points[1] = {192, 160};
    RebuildAllCurves(block->settings);
    ASSERT_EQ(MapPixmapFrame(*block, &src.pixmap.base, &dst.pixmap.base, &info, true), 0);
    auto fresh = NewBlock();
    std::memcpy(&fresh->settings, &block->settings, sizeof(CurveData));
    TestFrame expected(code, 24, 3, 4);
    ASSERT_EQ(MapPixmapFrame(*fresh, &src.pixmap.base, &expected.pixmap.base, &info, true), 0);
    EXPECT_EQ(dst.planes, expected.planes) << code;
    EXPECT_NE(dst.planes, first) << code;
    ReleaseDeepTables(block->tables);
    ReleaseDeepTables(fresh->tables);
  }
}

// A block copied byte for byte takes memory of its own and never frees the original's.
TEST(FrameTables, ByteCopiesOwnNothingOfTheOriginal) {
  auto original = NewBlock();
  Apply(Effect::kLuma, *original);
  SampleScale scale;
  ASSERT_TRUE(ScaleOf(1023, true, scale));
  const DeepTables* mine = DeepTablesFor(original->settings, false, scale, original->tables);
  ASSERT_NE(mine, nullptr);
  const uint16_t before = mine->master[500];
  auto copy = std::make_unique<InstanceBlock>();
  std::memcpy(copy.get(), original.get(), sizeof(InstanceBlock));
  ReleaseDeepTables(copy->tables);  // forgets, frees nothing
  const DeepTables* theirs = DeepTablesFor(copy->settings, false, scale, copy->tables);
  ASSERT_NE(theirs, nullptr);
  EXPECT_NE(theirs, mine);
  EXPECT_EQ(mine->master[500], before);  // still the original's, still alive
  ReleaseDeepTables(copy->tables);
  std::memcpy(copy.get(), original.get(), sizeof(InstanceBlock));
  EXPECT_NE(DeepTablesFor(copy->settings, false, scale, copy->tables), mine);
  ReleaseDeepTables(copy->tables);
  // The luma pair table likewise.
  UpdateFrameTables(original->settings, original->tables);
  const LumaPairs* myPairs = LumaPairsFor(true, original->tables);
  ASSERT_NE(myPairs, nullptr);
  std::memcpy(copy.get(), original.get(), sizeof(InstanceBlock));
  EXPECT_NE(LumaPairsFor(true, copy->tables), myPairs);
  ReleaseDeepTables(copy->tables);
  EXPECT_EQ(LumaPairsFor(true, original->tables), myPairs);
  ReleaseDeepTables(original->tables);
}

// A preview's sample is read as 32-bit pixels only when it is 32-bit RGB: the newer hosts sample
// the filter's input in its own format, whose old fields describe a single plane (depth 0).
TEST(PreviewSample, OnlyThirtyTwoBitRgbIsReadAsPixels) {
  std::vector<uint32_t> pixels(6);
  VFBitmap bitmap{};
  bitmap.data = pixels.data();
  bitmap.w = 3;
  bitmap.h = 2;
  bitmap.pitch = 12;
  FramePixels read{};
  for (const int32_t depth : {32, 0, 24}) {
    bitmap.depth = depth;
    EXPECT_EQ(PixelsOfSample(&bitmap, read), depth == 32) << depth;
  }
  EXPECT_FALSE(PixelsOfSample(nullptr, read));
}

}  // namespace
