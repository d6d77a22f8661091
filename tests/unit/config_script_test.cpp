#include "host/config_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/spline.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/guarded_buffer.h"

namespace {

std::string Written(const CurveData& data) {
  char text[kMaxConfigScriptLength + 1];
  EXPECT_TRUE(WriteConfigScript(data, text, sizeof text));
  return text;
}

// Reads a point text from a buffer that ends exactly at its terminator, so a read past it faults.
CurveData ReadFenced(const std::string& text, int32_t mode = 0) {
  GuardedBuffer buffer(text.size() + 1, GuardedBuffer::Fence::kAfter);
  std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
  CurveData data = Fresh();
  ApplyConfigScript(data, mode, reinterpret_cast<const char*>(buffer.data()));
  return data;
}

std::vector<ControlPoint> ValidPoints(const CurveData& data) {
  std::vector<ControlPoint> points;
  for (const ControlPoint& p : data.points) {
    if (IsValidPoint(p)) points.push_back(p);
  }
  return points;
}

void ExpectSlot(const CurveData& data, int slot, int32_t x, int32_t y) {
  EXPECT_EQ(data.points[slot].x, x) << "slot " << slot;
  EXPECT_EQ(data.points[slot].y, y) << "slot " << slot;
}

void ExpectEmptyFrom(const CurveData& data, int firstSlot) {
  for (int i = firstSlot; i < kSlotCount; ++i) ExpectSlot(data, i, -1, -1);
}

// Splits "Config(<mode>,"<points>")" as a host's script parser would.
bool SplitCall(const std::string& text, int32_t& mode, std::string& points) {
  const std::string start = "Config(";
  if (text.compare(0, start.size(), start) != 0) return false;
  const size_t comma = text.find(",\"");
  if (comma == std::string::npos || text.size() < comma + 4) return false;
  if (text.compare(text.size() - 2, 2, "\")") != 0) return false;
  mode = std::stoi(text.substr(start.size(), comma - start.size()));
  points = text.substr(comma + 2, text.size() - comma - 4);
  return true;
}

CurveData FullSetting(ChannelMode mode) {
  CurveData data = Fresh();
  data.mode = mode;
  for (int i = 0; i < kSlotCount; ++i) data.points[i] = ControlPoint{i, 255 - i};
  return data;
}

TEST(ConfigScriptWriter, WritesModeAndValidPointsInSlotOrder) {
  EXPECT_EQ(Written(Fresh()), "Config(0,\"\")");

  CurveData data = Fresh();
  data.mode = 2;
  data.points[0] = ControlPoint{5, 10};
  data.points[2] = ControlPoint{128, 200};
  data.points[3] = ControlPoint{255, 0};
  EXPECT_EQ(Written(data), "Config(2,\"050a80c8ff00\")");

  CurveData single = Fresh();
  single.mode = 3;
  single.points[0] = ControlPoint{0, 255};
  EXPECT_EQ(Written(single), "Config(3,\"00ff\")");
}

TEST(ConfigScriptWriter, SkipsHalfEmptySlotsAndKeepsTheLastSlot) {
  CurveData data = Fresh();
  data.points[0] = ControlPoint{10, -1};
  data.points[1] = ControlPoint{-1, 20};
  data.points[7] = ControlPoint{171, 16};
  data.points[255] = ControlPoint{250, 251};
  EXPECT_EQ(Written(data), "Config(0,\"ab10fafb\")");
}

TEST(ConfigScriptWriter, ModeInDecimalWithoutLeadingZeros) {
  CurveData data = Fresh();
  for (const auto& [mode, text] : std::vector<std::pair<int, std::string>>{
           {7, "Config(7,\"\")"}, {10, "Config(10,\"\")"}, {99, "Config(99,\"\")"},
           {100, "Config(100,\"\")"}, {255, "Config(255,\"\")"}}) {
    data.mode = static_cast<ChannelMode>(mode);
    EXPECT_EQ(Written(data), text);
  }
}

TEST(ConfigScriptWriter, CoordinatesOutsideTheSquareAreWrittenAtItsEdge) {
  CurveData data = Fresh();
  data.points[0] = ControlPoint{300, -5};
  EXPECT_EQ(Written(data), "Config(0,\"ff00\")");
}

// The bounds buffers are sized by are the longest texts there are.
TEST(ConfigScriptWriter, LongestTextsMeetTheirBounds) {
  EXPECT_EQ(ConfigScriptLength(FullSetting(3)), 1036);
  EXPECT_EQ(Written(FullSetting(255)).size(), static_cast<size_t>(kMaxOneCurveScriptLength));

  // Every slot of all four curves, a three-digit mode, the largest kinds field and a target.
  CurveData all = FullSetting(255);
  for (ChannelCurve& curve : all.channel) {
    for (int i = 0; i < kChannelSlots; ++i) curve.points[i] = ControlPoint{i, i};
  }
  for (CurveKind& kind : all.kind) kind = kKindLinear;
  all.target = kTargetLuma601;
  EXPECT_EQ(Written(all).size(), static_cast<size_t>(kMaxConfigScriptLength));
  EXPECT_EQ(ConfigScriptLength(all), kMaxConfigScriptLength);
}

TEST(ConfigScriptWriter, FourCurveFormOnlyWhenTheSettingsNeedIt) {
  CurveData data = Fresh();
  data.points[0] = ControlPoint{0x40, 0x34};
  data.kind[kCurveGreen] = 3;  // a stored field of 3 reads as smooth
  EXPECT_EQ(Written(data), "Config(0,\"4034\")");

  data.channel[kCurveGreen - 1].points[5] = ControlPoint{0x80, 0xa0};
  EXPECT_EQ(Written(data), "Config(0,\"4034\",\"\",\"80a0\",\"\",0)");
  data.channel[kCurveGreen - 1].points[5] = ControlPoint{kEmpty, kEmpty};
  data.kind[kCurveBlue] = kKindLinear;
  data.mode = 130;
  EXPECT_EQ(Written(data), "Config(130,\"4034\",\"\",\"\",\"\",128)");
}

// The target is written, as a seventh argument, exactly when the master maps luma: every other
// setting keeps the text it has always had.
TEST(ConfigScriptWriter, TargetFormOnlyForALumaTarget) {
  CurveData data = Fresh();
  data.points[0] = ControlPoint{0x40, 0x34};
  for (const auto& [target, text] : std::vector<std::pair<int, std::string>>{
           {kTargetChannels, "Config(0,\"4034\")"},
           {kTargetLuma709, "Config(0,\"4034\",\"\",\"\",\"\",0,1)"},
           {kTargetLuma601, "Config(0,\"4034\",\"\",\"\",\"\",0,2)"},
           {3, "Config(0,\"4034\")"},
           {255, "Config(0,\"4034\")"}}) {
    data.target = static_cast<MasterTarget>(target);
    EXPECT_EQ(Written(data), text) << target;
    EXPECT_EQ(ConfigScriptLength(data), static_cast<int>(text.size())) << target;
  }
}

TEST(ConfigScriptReader, TargetArgumentNamesALumaTargetOrReadsAsTheChannels) {
  const char* const texts[kCurveCount] = {"4034", "", "", ""};
  for (const auto& [argument, target] : std::vector<std::pair<int32_t, int>>{
           {0, kTargetChannels}, {1, kTargetLuma709}, {2, kTargetLuma601}, {3, kTargetChannels},
           {-1, kTargetChannels}, {257, kTargetChannels}, {258, kTargetChannels}}) {
    CurveData data = Fresh();
    ApplyCurvesScript(data, 0, texts, 0, argument);
    EXPECT_EQ(data.target, target) << argument;
    ExpectSlot(data, 0, 0x40, 0x34);
  }
}

TEST(ConfigScriptReader, FourCurveFormReadsEachCurveAndKind) {
  CurveData data = Fresh();
  const char* const texts[kCurveCount] = {"4034c0cc", "", "80a0", nullptr};
  ApplyCurvesScript(data, 0, texts, 16 | 3 << 6 | 0x7F00);
  ExpectSlot(data, 0, 0x40, 0x34);
  ExpectSlot(data, 1, 0xc0, 0xcc);
  EXPECT_EQ(data.channel[kCurveGreen - 1].points[0].x, 0x80);
  EXPECT_EQ(data.channel[kCurveGreen - 1].points[0].y, 0xa0);
  EXPECT_FALSE(CurveHasPoints(data, kCurveRed));
  EXPECT_FALSE(CurveHasPoints(data, kCurveBlue));
  const CurveKind expectedKinds[kCurveCount] = {kKindSmooth, kKindSmooth, kKindMonotone,
                                                kKindSmooth};
  EXPECT_EQ(std::memcmp(data.kind, expectedKinds, sizeof expectedKinds), 0);
  // The green table is built by its own kind: monotone through its point.
  EXPECT_EQ(data.channel[kCurveGreen - 1].lut[128], 160);
  EXPECT_EQ(Written(data), "Config(0,\"4034c0cc\",\"\",\"80a0\",\"\",16)");

  // The one-curve form empties the channel curves and makes every kind smooth again.
  ApplyConfigScript(data, 1, "80c8");
  EXPECT_FALSE(CurveHasPoints(data, kCurveGreen));
  EXPECT_EQ(data.channel[kCurveGreen - 1].lut[128], 128);
  EXPECT_EQ(data.kind[kCurveGreen], kKindSmooth);
  EXPECT_EQ(Written(data), "Config(1,\"80c8\")");
}

// Channel texts are read by the same rules as the master's, from buffers that end at their
// terminator: short groups, non-hex, and texts longer than 64 groups never reach past either end.
TEST(ConfigScriptReader, MalformedChannelTextsDoNoHarm) {
  for (const std::string& text : {std::string("8"), std::string("80a"), std::string("80a0c"),
                                  std::string("zz10"), std::string(300, 'f'),
                                  std::string(4 * 64 + 2, '1')}) {
    GuardedBuffer buffer(text.size() + 1, GuardedBuffer::Fence::kAfter);
    std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
    CurveData data = Fresh();
    std::memset(data.channelSnapshot, 0x77, sizeof data.channelSnapshot);
    const char* const texts[kCurveCount] = {"", reinterpret_cast<const char*>(buffer.data()), "",
                                            ""};
    ApplyCurvesScript(data, 0, texts, 0);
    for (const ControlPoint& p : data.channel[0].points) {
      ASSERT_TRUE((p.x == -1 && p.y == -1) || (p.x >= 0 && p.x <= 255 && p.y >= 0 && p.y <= 255))
          << text;
    }
    const unsigned char* after = reinterpret_cast<const unsigned char*>(data.channelSnapshot);
    for (size_t i = 0; i < sizeof data.channelSnapshot; ++i) ASSERT_EQ(after[i], 0x77) << text;
  }
}

// The host's buffer length is not known in advance: every length either holds the whole text or
// gets an empty text and false, and nothing lands past the length.
TEST(FssProc, EveryLengthUpTo1100WritesNothingBeyondIt) {
  CurveData data = FullSetting(1);
  const std::string full = Written(data);
  ASSERT_EQ(full.size(), 1036u);
  FilterActivation fa{};
  fa.filter_data = &data;

  for (int length = 0; length <= 1100; ++length) {
    GuardedBuffer buffer(static_cast<size_t>(length), GuardedBuffer::Fence::kAfter);
    char* const out = reinterpret_cast<char*>(buffer.data());
    std::memset(out, '#', buffer.size());
    const bool fits = length >= 1037;
    ASSERT_EQ(FssProc(&fa, nullptr, out, length), fits) << "length " << length;
    if (fits) {
      ASSERT_EQ(std::string(out), full) << "length " << length;
      for (int i = 1037; i < length; ++i) ASSERT_EQ(out[i], '#') << "length " << length;
    } else if (length > 0) {
      ASSERT_EQ(out[0], '\0') << "length " << length;
      for (int i = 1; i < length; ++i) ASSERT_EQ(out[i], '#') << "length " << length;
    }
  }
}

TEST(FssProc, NegativeLengthWritesNothing) {
  CurveData data = Fresh();
  FilterActivation fa{};
  fa.filter_data = &data;
  char out[4] = {'#', '#', '#', '#'};
  EXPECT_FALSE(FssProc(&fa, nullptr, out, -1));
  EXPECT_EQ(out[0], '#');
}

TEST(ConfigScriptReader, HexDigitsOfEitherCase) {
  const CurveData data = ReadFenced("80C8aBcD", 1);
  EXPECT_EQ(data.mode, 1);
  ExpectSlot(data, 0, 128, 200);
  ExpectSlot(data, 1, 171, 205);
  ExpectEmptyFrom(data, 2);
}

TEST(ConfigScriptReader, ShortLastGroupNeverReadsPastTheTerminator) {
  const CurveData lone = ReadFenced("4020c0");
  ExpectSlot(lone, 0, 64, 32);
  ExpectSlot(lone, 1, 192, 192);
  ExpectEmptyFrom(lone, 2);

  const CurveData oneDigitY = ReadFenced("4020c0a");
  ExpectSlot(oneDigitY, 1, 192, 10);
  ExpectEmptyFrom(oneDigitY, 2);

  const CurveData oneDigitX = ReadFenced("4020c");
  ExpectSlot(oneDigitX, 1, 12, 12);
  ExpectEmptyFrom(oneDigitX, 2);

  const CurveData onlyOne = ReadFenced("7");
  ExpectSlot(onlyOne, 0, 7, 7);
  ExpectEmptyFrom(onlyOne, 1);
}

TEST(ConfigScriptReader, GroupsWithoutALeadingHexDigitLeaveTheirSlotEmpty) {
  // Slot 0: bad x; slot 1: bad y; slot 2: a sign; slot 3: a blank; slot 4: fine. A second
  // character that is not a digit only shortens the coordinate.
  const CurveData data = ReadFenced("zz0040zz-1-1 5054g20");
  for (int slot = 0; slot < 4; ++slot) ExpectSlot(data, slot, -1, -1);
  ExpectSlot(data, 4, 4, 32);
  ExpectEmptyFrom(data, 5);
}

TEST(ConfigScriptReader, FillsAtMost256SlotsAndLooksNoFurther) {
  std::string text;
  for (int i = 0; i < 256; ++i) text += "0102";
  // No terminator within the first 1024 characters, and nothing readable after them.
  GuardedBuffer buffer(text.size(), GuardedBuffer::Fence::kAfter);
  std::memcpy(buffer.data(), text.data(), text.size());
  CurveData data = Fresh();
  data.pointsSnapshot[0] = ControlPoint{77, 78};
  ApplyConfigScript(data, 0, reinterpret_cast<const char*>(buffer.data()));
  for (int slot = 0; slot < kSlotCount; ++slot) ExpectSlot(data, slot, 1, 2);
  EXPECT_EQ(data.pointsSnapshot[0].x, 77);

  const CurveData longer = ReadFenced(text + "ffff0000");
  ExpectSlot(longer, 255, 1, 2);
}

TEST(ConfigScriptReader, EveryAsciiGroupGivesAPointInTheSquareOrAnEmptySlot) {
  std::string text;
  for (int c = 1; c < 128; ++c) text += static_cast<char>(c);
  for (int shift = 0; shift < 4; ++shift) {
    const CurveData data = ReadFenced(text.substr(static_cast<size_t>(shift)));
    for (const ControlPoint& p : data.points) {
      const bool empty = p.x == -1 && p.y == -1;
      const bool inSquare = p.x >= 0 && p.x <= 255 && p.y >= 0 && p.y <= 255;
      EXPECT_TRUE(empty || inSquare) << p.x << "," << p.y;
    }
  }
}

TEST(ConfigScriptReader, ModeKeepsTheLowByte) {
  CurveData data = Fresh();
  for (const auto& [argument, mode] :
       std::vector<std::pair<int32_t, int>>{{258, 2}, {-1, 255}, {7, 7}, {3, 3}, {-256, 0}}) {
    ApplyConfigScript(data, argument, "");
    EXPECT_EQ(data.mode, mode) << argument;
  }
}

TEST(ConfigScriptReader, ResetsRebuildsAndLeavesTheRestAlone) {
  CurveData data = Fresh();
  for (int i = 0; i < 10; ++i) data.points[i] = ControlPoint{i * 20, i * 20};
  data.selected = 4;
  data.lutSnapshot[9] = 1234;
  data.pointsSnapshot[9] = ControlPoint{5, 6};
  IFilterPreview* const marker = reinterpret_cast<IFilterPreview*>(&data);
  data.preview = marker;

  ApplyConfigScript(data, 0, "80c8");
  ExpectSlot(data, 0, 128, 200);
  ExpectEmptyFrom(data, 1);
  CurveData expected = Fresh();
  expected.points[0] = ControlPoint{128, 200};
  RebuildLut(expected);
  EXPECT_EQ(std::memcmp(data.lut, expected.lut, sizeof data.lut), 0);
  EXPECT_EQ(data.lut[128], 200);
  EXPECT_EQ(data.selected, 4);
  EXPECT_EQ(data.lutSnapshot[9], 1234);
  EXPECT_EQ(data.pointsSnapshot[9].x, 5);
  EXPECT_EQ(data.preview, marker);

  ApplyConfigScript(data, 0, "");
  ExpectEmptyFrom(data, 0);
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i);

  ApplyConfigScript(data, 1, nullptr);
  EXPECT_EQ(data.mode, 1);
  ExpectEmptyFrom(data, 0);
}

TEST(ScriptConfig, ReadsTheHostsArgumentValues) {
  CurveData data = Fresh();
  FilterActivation fa{};
  fa.filter_data = &data;
  char text[] = "80c8";
  char* textPointer = text;

  CScriptValue argv[2] = {};
  argv[0].type = CScriptValue::T_INT;
  argv[0].u.l = 0x7777777700000002LL;  // only the low four bytes belong to a 32-bit int
  argv[1].type = CScriptValue::T_STR;
  argv[1].u.s = &textPointer;
  ScriptConfig(nullptr, &fa, argv, 2);
  EXPECT_EQ(data.mode, 2);
  ExpectSlot(data, 0, 128, 200);

  argv[0].type = CScriptValue::T_LONG;
  argv[0].u.l = -1;
  ScriptConfig(nullptr, &fa, argv, 2);
  EXPECT_EQ(data.mode, 255);

  // A host that passes fewer arguments than the signature promises changes nothing.
  argv[0].u.l = 1;
  ScriptConfig(nullptr, &fa, argv, 1);
  EXPECT_EQ(data.mode, 255);

  CScriptValue curves[6] = {};
  curves[0] = argv[0];
  char empty[] = "";
  char* emptyPointer = empty;
  for (int i = 1; i <= 4; ++i) {
    curves[i].type = CScriptValue::T_STR;
    curves[i].u.s = i == 3 ? &textPointer : &emptyPointer;
  }
  curves[4].u.s = nullptr;  // a missing text reads as empty
  curves[5].type = CScriptValue::T_INT;
  curves[5].u.i = 2 << 4;
  ScriptConfigCurves(nullptr, &fa, curves, 5);
  EXPECT_EQ(data.mode, 255);
  ScriptConfigCurves(nullptr, &fa, curves, 6);
  EXPECT_EQ(data.mode, 1);
  EXPECT_EQ(data.channel[kCurveGreen - 1].points[0].x, 128);
  EXPECT_EQ(data.kind[kCurveGreen], kKindLinear);

  CScriptValue targeted[7] = {};
  std::copy(curves, curves + 6, targeted);
  targeted[6].type = CScriptValue::T_INT;
  targeted[6].u.l = 0x7777777700000002LL;
  ScriptConfigWithTarget(nullptr, &fa, targeted, 6);
  EXPECT_EQ(data.target, kTargetChannels);
  ScriptConfigWithTarget(nullptr, &fa, targeted, 7);
  EXPECT_EQ(data.target, kTargetLuma601);
  EXPECT_EQ(data.kind[kCurveGreen], kKindLinear);
}

// A save and reload gives the same mode, the same points packed in order and the same table.
TEST(ConfigScriptRoundTrip, SeededRandomSettings) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    CurveData original = Fresh();
    original.mode = static_cast<ChannelMode>(random() % 6 == 0 ? random() % 256 : random() % 4);
    const int pointCount = static_cast<int>(random() % 257);
    for (int i = 0; i < pointCount; ++i) {
      original.points[random() % kSlotCount] =
          ControlPoint{static_cast<int32_t>(random() % 256), static_cast<int32_t>(random() % 256)};
    }
    RebuildLut(original);

    const std::string text = Written(original);
    int32_t mode = -1;
    std::string points;
    ASSERT_TRUE(SplitCall(text, mode, points)) << text;
    const CurveData reloaded = ReadFenced(points, mode);

    EXPECT_EQ(reloaded.mode, original.mode);
    const std::vector<ControlPoint> expected = ValidPoints(original);
    const int count = static_cast<int>(expected.size());
    for (int i = 0; i < count; ++i) ExpectSlot(reloaded, i, expected[i].x, expected[i].y);
    ExpectEmptyFrom(reloaded, count);
    ASSERT_EQ(std::memcmp(reloaded.lut, original.lut, sizeof original.lut), 0) << text;
    ASSERT_EQ(Written(reloaded), text);
  }
}

}  // namespace
