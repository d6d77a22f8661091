// The hosts' pixel format codes and what each one lays out: which planes, how many bytes a
// sample, how the chroma is subsampled, and the matrix and range the code names (if any). One
// table, shared by the module's callbacks and by filterhost.
#pragma once

#include <cstdint>

enum class FormatFamily : uint8_t {
  kUnknown,
  kRgb24,       // bytes B, G, R
  kXrgb32,      // bytes B, G, R, X
  kXrgb64,      // 16-bit words B, G, R, A
  kLuma8,       // a plane of 8-bit luma
  kLuma16,      // a plane of 16-bit luma
  kPlanar8,     // planes Y, Cb, Cr (and alpha), 8 bits a sample
  kPlanar16,    // the same, 16 bits a sample
  kSemiPlanar,  // NV12: a plane of Y, then one of Cb, Cr byte pairs
  kPacked,      // 4:2:2 in pairs of pixels, 8 bits a sample: Y0 Cb Y1 Cr, or Cb Y0 Cr Y1
};

enum class ColourMatrix : uint8_t { kUnstated, kBt601, kBt709 };
enum class ColourRange : uint8_t { kUnstated, kLimited, kFull };

struct PixelFormat {
  FormatFamily family;
  uint8_t chromaShiftX;  // chroma planes are ceil(w / 2^x) by ceil(h / 2^y) samples
  uint8_t chromaShiftY;
  bool lumaSecond;       // packed: luma is the second byte of each pair (Cb Y0 Cr Y1)
  bool alpha;            // planar: a fourth, full-size plane of alpha
  ColourMatrix matrix;
  ColourRange range;
};

// What a code lays out; kUnknown for a code this module does not know.
PixelFormat DescribePixelFormat(int32_t code);

inline bool IsRgb(FormatFamily family) {
  return family == FormatFamily::kRgb24 || family == FormatFamily::kXrgb32 ||
         family == FormatFamily::kXrgb64;
}

// Bytes of one luma (or RGB) sample: 1 for 8-bit families, 2 for 16-bit ones, and the pixel's
// bytes for RGB (3, 4 or 8).
int32_t BytesPerPixel(FormatFamily family);

// The planes of a frame of this format and size: luma (or the RGB pixels, or packed pairs), then
// chroma (NV12: one plane of Cb, Cr pairs), then alpha. Returns their number, 0 for an unknown
// format or a packed one of odd width, whose last pair would be half described, and for a width
// whose row would hold more bytes than an int32_t counts.
struct PlaneShape {
  int32_t rowBytes;
  int32_t rows;
};
constexpr int kMaxPlanes = 4;
int PlaneShapes(const PixelFormat& format, int32_t width, int32_t height,
                PlaneShape (&planes)[kMaxPlanes]);

// The code for a family with this subsampling, matrix and range, or 0 when the hosts have none.
// The reverse of DescribePixelFormat, for filterhost: codes that state neither matrix nor range
// are found with kUnstated.
int32_t PixelFormatCode(FormatFamily family, uint8_t chromaShiftX, uint8_t chromaShiftY,
                        bool lumaSecond, bool alpha, ColourMatrix matrix, ColourRange range);

// The hosts' code for XRGB8888, the format every host offers and every setting takes.
constexpr int32_t kFormatXrgb8888 = 8;
// A code no format has: editors offer it first, and a filter must refuse it.
constexpr int32_t kFormatProbe = 255;
