#include "engine/lut_cube.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/frame_map.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/random_settings.h"

namespace {

std::vector<std::string> CubeLines(const CurveData& data) {
  std::string text(CubeFileLength(data), '\0');
  EXPECT_EQ(WriteCubeFile(data, text.data(), text.size()), text.size());
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The float nearest to level / 255. Products of a float and 255 are exact in a double, so the
// distances compare exactly.
float NearestFloat(int level) {
  const float guess = static_cast<float>(level / 255.0);
  float best = guess;
  for (const float f : {std::nextafter(guess, -1.0f), std::nextafter(guess, 2.0f)}) {
    if (std::fabs(double{f} * 255 - level) < std::fabs(double{best} * 255 - level)) best = f;
  }
  return best;
}

// The levels a line holds, red first, each checked for its 12 decimals and for reading back, as a
// 32-bit float, as the nearest float to level / 255.
std::vector<int> LineLevels(const std::string& line) {
  std::vector<int> levels;
  std::istringstream in(line);
  for (std::string number; in >> number;) {
    EXPECT_EQ(number.size(), 14u) << line;
    const float read = std::strtof(number.c_str(), nullptr);
    const int level = static_cast<int>(std::lround(read * 255.0));
    EXPECT_EQ(read, NearestFloat(level)) << number;
    levels.push_back(level);
  }
  return levels;
}

TEST(CubeFile, OneDimensionalTableIsTheComposedChannels) {
  std::mt19937 random(1601);
  for (int run = 0; run < 20; ++run) {
    const CurveData data = RandomSettings(random);
    ASSERT_TRUE(CubeFileIsExact(data));
    const std::vector<std::string> lines = CubeLines(data);
    ASSERT_EQ(lines.size(), 2u + kCube1dSize);
    EXPECT_EQ(lines[0], "TITLE \"tonarc\"");
    EXPECT_EQ(lines[1], "LUT_1D_SIZE 256");
    uint8_t levels[3][kLutSize];
    ComposeChannelTables(data, levels);
    for (int v = 0; v < kLutSize; ++v) {
      EXPECT_EQ(
          LineLevels(lines[2 + v]),
          (std::vector<int>{levels[kPixelRed][v], levels[kPixelGreen][v], levels[kPixelBlue][v]}))
          << "run " << run << " level " << v;
    }
  }
}

TEST(CubeFile, LumaTargetSamplesTheMappingOnA65PointGrid) {
  std::mt19937 random(1602);
  CurveData data = RandomSettings(random);
  data.target = kTargetLuma601;
  ASSERT_FALSE(CubeFileIsExact(data));
  const std::vector<std::string> lines = CubeLines(data);
  ASSERT_EQ(lines.size(), 2u + 65 * 65 * 65);
  EXPECT_EQ(lines[1], "LUT_3D_SIZE 65");
  // Red index fastest; grid index i stands for level i * 255 / 64 rounded: 1 -> 4, 32 -> 128.
  const struct {
    int r, g, b;
    uint32_t pixel;
  } points[] = {{0, 0, 0, 0x000000}, {1, 0, 0, 0x040000},   {0, 1, 0, 0x000400},
                {0, 0, 1, 0x000004}, {32, 64, 3, 0x80FF0C}, {64, 64, 64, 0xFFFFFF}};
  for (const auto& p : points) {
    uint32_t mapped = 0;
    MapFrame(data, FrameSpan{&p.pixel, 0, &mapped, 0, 1, 1});
    EXPECT_EQ(
        LineLevels(lines[2 + p.r + 65 * (p.g + 65 * p.b)]),
        (std::vector<int>{int(mapped >> 16 & 0xFF), int(mapped >> 8 & 0xFF), int(mapped & 0xFF)}))
        << p.r << " " << p.g << " " << p.b;
  }
}

TEST(CubeFile, WritesNothingWithoutRoom) {
  const CurveData data = Fresh();
  std::string text(kCube1dFileBytes - 1, 'x');
  EXPECT_EQ(WriteCubeFile(data, text.data(), text.size()), 0u);
  EXPECT_EQ(text, std::string(kCube1dFileBytes - 1, 'x'));
  EXPECT_EQ(WriteCubeFile(data, nullptr, kCube1dFileBytes), 0u);
}

}  // namespace
