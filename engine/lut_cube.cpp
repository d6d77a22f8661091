#include "engine/lut_cube.h"

#include <cstring>

#include "engine/curve_tables.h"
#include "engine/frame_map.h"

namespace {

constexpr char kTitleLine[] = "TITLE \"tonarc\"\n";
constexpr char k1dSizeLine[] = "LUT_1D_SIZE 256\n";
constexpr char k3dSizeLine[] = "LUT_3D_SIZE 65\n";
static_assert(sizeof kTitleLine - 1 == kCubeTitleBytes, "title line");
static_assert(kCube1dFileBytes ==
                  kCubeTitleBytes + sizeof k1dSizeLine - 1 + kCube1dSize * kCubeEntryBytes,
              "1D size line");
static_assert(kCube3dFileBytes ==
                  kCubeTitleBytes + sizeof k3dSizeLine - 1 +
                      size_t{kCube3dSize} * kCube3dSize * kCube3dSize * kCubeEntryBytes,
              "3D size line");

constexpr uint64_t kDecimals = 1000000000000;  // 12 decimals

char* Put(char* out, const char* text) {
  const size_t length = std::strlen(text);
  std::memcpy(out, text, length);
  return out + length;
}

// level / 255 with 12 decimals, rounded to nearest: the nearest 32-bit float to that text is the
// nearest one to level / 255, which is what a reader of floats needs to get the level back. Whole
// numbers only: no ties can occur (255 has the factors 3 and 17, which 10^12 has not).
char* PutLevel(char* out, int32_t level) {
  const uint64_t scaled = (2 * static_cast<uint64_t>(level) * kDecimals + 255) / 510;
  *out++ = static_cast<char>('0' + scaled / kDecimals);
  *out++ = '.';
  uint64_t fraction = scaled % kDecimals;
  for (int digit = 11; digit >= 0; --digit) {
    out[digit] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return out + 12;
}

char* PutEntry(char* out, int32_t red, int32_t green, int32_t blue) {
  out = PutLevel(out, red);
  *out++ = ' ';
  out = PutLevel(out, green);
  *out++ = ' ';
  out = PutLevel(out, blue);
  *out++ = '\n';
  return out;
}

// The level a grid index stands for, rounded to the nearest level (half up).
int32_t GridLevel(int32_t index) {
  return (index * 255 + (kCube3dSize - 1) / 2) / (kCube3dSize - 1);
}

char* Put1d(const CurveData& data, char* out) {
  uint8_t levels[3][kLutSize];
  ComposeChannelTables(data, levels);
  out = Put(out, k1dSizeLine);
  for (int v = 0; v < kLutSize; ++v) {
    out = PutEntry(out, levels[kPixelRed][v], levels[kPixelGreen][v], levels[kPixelBlue][v]);
  }
  return out;
}

// Every grid point goes through the frame mapping itself, a row of red levels at a time, so the
// file samples exactly what frames get.
char* Put3d(const CurveData& data, char* out) {
  out = Put(out, k3dSizeLine);
  uint32_t source[kCube3dSize], mapped[kCube3dSize];
  for (int32_t b = 0; b < kCube3dSize; ++b) {
    for (int32_t g = 0; g < kCube3dSize; ++g) {
      for (int32_t r = 0; r < kCube3dSize; ++r) {
        source[r] = static_cast<uint32_t>(GridLevel(r) << 16 | GridLevel(g) << 8 | GridLevel(b));
      }
      MapFrame(data, FrameSpan{source, 0, mapped, 0, kCube3dSize, 1});
      for (const uint32_t pixel : mapped) {
        out = PutEntry(out, pixel >> 16 & 0xFF, pixel >> 8 & 0xFF, pixel & 0xFF);
      }
    }
  }
  return out;
}

}  // namespace

bool CubeFileIsExact(const CurveData& data) { return TargetOf(data) == kTargetChannels; }

size_t CubeFileLength(const CurveData& data) {
  return CubeFileIsExact(data) ? kCube1dFileBytes : kCube3dFileBytes;
}

size_t WriteCubeFile(const CurveData& data, char* out, size_t room) {
  const size_t length = CubeFileLength(data);
  if (out == nullptr || room < length) return 0;
  char* const end = Put(out, kTitleLine);
  const char* const written = CubeFileIsExact(data) ? Put1d(data, end) : Put3d(data, end);
  return static_cast<size_t>(written - out);
}
