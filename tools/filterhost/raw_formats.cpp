#include "tools/filterhost/raw_formats.h"

namespace {

constexpr FormatFamily kPlanar8 = FormatFamily::kPlanar8, kPlanar16 = FormatFamily::kPlanar16;

constexpr RawFormat kRawFormats[] = {
    {"bgr0", FormatFamily::kXrgb32, 0, 0, false, false, 8},
    {"bgr24", FormatFamily::kRgb24, 0, 0, false, false, 8},
    {"bgra64le", FormatFamily::kXrgb64, 0, 0, false, false, 16},
    {"gray", FormatFamily::kLuma8, 0, 0, false, false, 8},
    {"gray10le", FormatFamily::kLuma16, 0, 0, false, false, 10},
    {"gray12le", FormatFamily::kLuma16, 0, 0, false, false, 12},
    {"gray16le", FormatFamily::kLuma16, 0, 0, false, false, 16},
    {"yuv444p", kPlanar8, 0, 0, false, false, 8},
    {"yuv422p", kPlanar8, 1, 0, false, false, 8},
    {"yuv420p", kPlanar8, 1, 1, false, false, 8},
    {"yuv411p", kPlanar8, 2, 0, false, false, 8},
    {"yuv410p", kPlanar8, 2, 2, false, false, 8},
    {"nv12", FormatFamily::kSemiPlanar, 1, 1, false, false, 8},
    {"yuyv422", FormatFamily::kPacked, 1, 0, false, false, 8},
    {"uyvy422", FormatFamily::kPacked, 1, 0, true, false, 8},
    {"yuva444p", kPlanar8, 0, 0, false, true, 8},
    {"yuva422p", kPlanar8, 1, 0, false, true, 8},
    {"yuva420p", kPlanar8, 1, 1, false, true, 8},
    {"yuv444p10le", kPlanar16, 0, 0, false, false, 10},
    {"yuv422p10le", kPlanar16, 1, 0, false, false, 10},
    {"yuv420p10le", kPlanar16, 1, 1, false, false, 10},
    {"yuv444p12le", kPlanar16, 0, 0, false, false, 12},
    {"yuv422p12le", kPlanar16, 1, 0, false, false, 12},
    {"yuv420p12le", kPlanar16, 1, 1, false, false, 12},
    {"yuv444p16le", kPlanar16, 0, 0, false, false, 16},
    {"yuv422p16le", kPlanar16, 1, 0, false, false, 16},
    {"yuv420p16le", kPlanar16, 1, 1, false, false, 16},
    {"yuva444p10le", kPlanar16, 0, 0, false, true, 10},
    {"yuva422p10le", kPlanar16, 1, 0, false, true, 10},
    {"yuva420p10le", kPlanar16, 1, 1, false, true, 10},
    {"yuva444p16le", kPlanar16, 0, 0, false, true, 16},
    {"yuva422p16le", kPlanar16, 1, 0, false, true, 16},
    {"yuva420p16le", kPlanar16, 1, 1, false, true, 16},
};

}  // namespace

const RawFormat* FindRawFormat(const std::string& name) {
  for (const RawFormat& f : kRawFormats)
    if (name == f.name) return &f;
  return nullptr;
}

std::string RawFormatNames() {
  std::string names;
  for (const RawFormat& f : kRawFormats) names += (names.empty() ? "" : "|") + std::string(f.name);
  return names;
}

int32_t HostFormatCode(const RawFormat& f, ColourMatrix matrix, ColourRange range) {
  const auto code = [&](ColourMatrix m, ColourRange r) {
    return PixelFormatCode(f.family, f.chromaShiftX, f.chromaShiftY, f.lumaSecond, f.alpha, m, r);
  };
  if (const int32_t named = code(matrix, range)) return named;
  if (const int32_t rangeOnly = code(ColourMatrix::kUnstated, range)) return rangeOnly;
  if (const int32_t neither = code(ColourMatrix::kUnstated, ColourRange::kUnstated)) return neither;
  return code(ColourMatrix::kUnstated, ColourRange::kFull);  // RGB
}

uint32_t DefaultReference(const RawFormat& f) { return (1u << f.bits) - 1; }
