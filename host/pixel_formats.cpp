#include "host/pixel_formats.h"

namespace {

struct Entry {
  int32_t code;
  PixelFormat format;
};

constexpr ColourMatrix k601 = ColourMatrix::kBt601, k709 = ColourMatrix::kBt709,
                       kNoMatrix = ColourMatrix::kUnstated;
constexpr ColourRange kLimited = ColourRange::kLimited, kFull = ColourRange::kFull,
                      kNoRange = ColourRange::kUnstated;
constexpr FormatFamily kPlanar8 = FormatFamily::kPlanar8, kPlanar16 = FormatFamily::kPlanar16,
                       kPacked = FormatFamily::kPacked;

// Each four-code list of the hosts runs BT.601 limited, BT.709 limited, BT.601 full, BT.709 full;
// the field-sited 4:2:0 codes run plain, full, 709, 709 full instead.
constexpr Entry kFormats[] = {
    {7, {FormatFamily::kRgb24, 0, 0, false, false, kNoMatrix, kFull}},
    {8, {FormatFamily::kXrgb32, 0, 0, false, false, kNoMatrix, kFull}},
    {57, {FormatFamily::kXrgb64, 0, 0, false, false, kNoMatrix, kFull}},
    {9, {FormatFamily::kLuma8, 0, 0, false, false, kNoMatrix, kLimited}},
    {24, {FormatFamily::kLuma8, 0, 0, false, false, kNoMatrix, kFull}},
    {61, {FormatFamily::kLuma16, 0, 0, false, false, kNoMatrix, kNoRange}},
    {10, {kPacked, 1, 0, true, false, k601, kLimited}},
    {22, {kPacked, 1, 0, true, false, k709, kLimited}},
    {31, {kPacked, 1, 0, true, false, k601, kFull}},
    {38, {kPacked, 1, 0, true, false, k709, kFull}},
    {11, {kPacked, 1, 0, false, false, k601, kLimited}},
    {25, {kPacked, 1, 0, false, false, k709, kLimited}},
    {32, {kPacked, 1, 0, false, false, k601, kFull}},
    {39, {kPacked, 1, 0, false, false, k709, kFull}},
    {13, {kPlanar8, 0, 0, false, false, k601, kLimited}},
    {26, {kPlanar8, 0, 0, false, false, k709, kLimited}},
    {33, {kPlanar8, 0, 0, false, false, k601, kFull}},
    {40, {kPlanar8, 0, 0, false, false, k709, kFull}},
    {14, {kPlanar8, 1, 0, false, false, k601, kLimited}},
    {27, {kPlanar8, 1, 0, false, false, k709, kLimited}},
    {34, {kPlanar8, 1, 0, false, false, k601, kFull}},
    {41, {kPlanar8, 1, 0, false, false, k709, kFull}},
    {15, {kPlanar8, 1, 1, false, false, k601, kLimited}},
    {28, {kPlanar8, 1, 1, false, false, k709, kLimited}},
    {35, {kPlanar8, 1, 1, false, false, k601, kFull}},
    {42, {kPlanar8, 1, 1, false, false, k709, kFull}},
    {16, {kPlanar8, 2, 0, false, false, k601, kLimited}},
    {29, {kPlanar8, 2, 0, false, false, k709, kLimited}},
    {36, {kPlanar8, 2, 0, false, false, k601, kFull}},
    {43, {kPlanar8, 2, 0, false, false, k709, kFull}},
    {17, {kPlanar8, 2, 2, false, false, k601, kLimited}},
    {30, {kPlanar8, 2, 2, false, false, k709, kLimited}},
    {37, {kPlanar8, 2, 2, false, false, k601, kFull}},
    {44, {kPlanar8, 2, 2, false, false, k709, kFull}},
    {45, {kPlanar8, 1, 1, false, false, k601, kLimited}},
    {46, {kPlanar8, 1, 1, false, false, k601, kFull}},
    {47, {kPlanar8, 1, 1, false, false, k709, kLimited}},
    {48, {kPlanar8, 1, 1, false, false, k709, kFull}},
    {49, {kPlanar8, 1, 1, false, false, k601, kLimited}},
    {50, {kPlanar8, 1, 1, false, false, k601, kFull}},
    {51, {kPlanar8, 1, 1, false, false, k709, kLimited}},
    {52, {kPlanar8, 1, 1, false, false, k709, kFull}},
    {53, {kPlanar8, 1, 1, false, false, k601, kLimited}},
    {54, {kPlanar8, 1, 1, false, false, k601, kFull}},
    {55, {kPlanar8, 1, 1, false, false, k709, kLimited}},
    {56, {kPlanar8, 1, 1, false, false, k709, kFull}},
    {23, {FormatFamily::kSemiPlanar, 1, 1, false, false, kNoMatrix, kNoRange}},
    {58, {kPlanar16, 0, 0, false, false, kNoMatrix, kNoRange}},
    {59, {kPlanar16, 1, 0, false, false, kNoMatrix, kNoRange}},
    {60, {kPlanar16, 1, 1, false, false, kNoMatrix, kNoRange}},
    {72, {kPlanar8, 0, 0, false, true, kNoMatrix, kNoRange}},
    {73, {kPlanar8, 1, 0, false, true, kNoMatrix, kNoRange}},
    {74, {kPlanar8, 1, 1, false, true, kNoMatrix, kNoRange}},
    {75, {kPlanar16, 0, 0, false, true, kNoMatrix, kNoRange}},
    {76, {kPlanar16, 1, 0, false, true, kNoMatrix, kNoRange}},
    {77, {kPlanar16, 1, 1, false, true, kNoMatrix, kNoRange}},
};

}  // namespace

PixelFormat DescribePixelFormat(int32_t code) {
  for (const Entry& e : kFormats)
    if (e.code == code) return e.format;
  return PixelFormat{FormatFamily::kUnknown, 0, 0, false, false, kNoMatrix, kNoRange};
}

int32_t BytesPerPixel(FormatFamily family) {
  switch (family) {
    case FormatFamily::kRgb24: return 3;
    case FormatFamily::kXrgb32: return 4;
    case FormatFamily::kXrgb64: return 8;
    case FormatFamily::kLuma16:
    case FormatFamily::kPlanar16: return 2;
    default: return 1;
  }
}

int PlaneShapes(const PixelFormat& f, int32_t w, int32_t h, PlaneShape (&planes)[kMaxPlanes]) {
  // A row length that wrapped would pass any pitch check and send the rows past the buffer.
  if (w > INT32_MAX / BytesPerPixel(FormatFamily::kXrgb64)) return 0;
  const int32_t sample = f.family == FormatFamily::kPlanar16 ? 2 : 1;
  const int32_t cw = (w + (1 << f.chromaShiftX) - 1) >> f.chromaShiftX;
  const int32_t ch = (h + (1 << f.chromaShiftY) - 1) >> f.chromaShiftY;
  switch (f.family) {
    case FormatFamily::kUnknown: return 0;
    case FormatFamily::kPacked:
      if (w % 2 != 0) return 0;
      planes[0] = {2 * w, h};
      return 1;
    case FormatFamily::kSemiPlanar:
      planes[0] = {w, h};
      planes[1] = {2 * cw, ch};
      return 2;
    case FormatFamily::kPlanar8:
    case FormatFamily::kPlanar16:
      planes[0] = {sample * w, h};
      planes[1] = planes[2] = {sample * cw, ch};
      if (!f.alpha) return 3;
      planes[3] = {sample * w, h};
      return 4;
    default:
      planes[0] = {BytesPerPixel(f.family) * w, h};
      return 1;
  }
}

int32_t PixelFormatCode(FormatFamily family, uint8_t chromaShiftX, uint8_t chromaShiftY,
                        bool lumaSecond, bool alpha, ColourMatrix matrix, ColourRange range) {
  for (const Entry& e : kFormats) {
    const PixelFormat& f = e.format;
    if (f.family == family && f.chromaShiftX == chromaShiftX && f.chromaShiftY == chromaShiftY &&
        f.lumaSecond == lumaSecond && f.alpha == alpha && f.matrix == matrix && f.range == range) {
      return e.code;
    }
  }
  return 0;
}
