#include "host/frame_formats.h"

#include "engine/frame_map.h"

namespace {

constexpr int32_t kFormatXrgb8888 = 8;

// A frame of 32-bit pixels whose w, h, first row and pitch leave room for every pixel.
bool FitsXrgb8888(const Pixmap& p, int32_t width, int32_t height) {
  if (p.format != kFormatXrgb8888 || p.data == nullptr || p.w != width || p.h != height) {
    return false;
  }
  const ptrdiff_t rowBytes = 4 * static_cast<ptrdiff_t>(width);
  return (p.pitch >= rowBytes || -p.pitch >= rowBytes) || height == 1;
}

}  // namespace

int32_t ChooseFrameFormat(const CurveData&, const VFBitmapEx* src, VFBitmapEx*) {
  if (src == nullptr || src->mpPixmapLayout == nullptr) return kParamNotSupported;
  if (src->mpPixmapLayout->format != kFormatXrgb8888) return kParamNotSupported;
  return kParamSwapBuffers | kParamAltFormats;
}

int MapPixmapFrame(const CurveData& data, const Pixmap* src, const Pixmap* dst) {
  if (src == nullptr || dst == nullptr || src->w <= 0 || src->h <= 0) return 1;
  if (!FitsXrgb8888(*src, src->w, src->h) || !FitsXrgb8888(*dst, src->w, src->h)) return 1;
  const ptrdiff_t rowBytes = 4 * static_cast<ptrdiff_t>(src->w);
  const FrameSpan frame{src->data, src->pitch - rowBytes, dst->data, dst->pitch - rowBytes,
                        src->w, src->h};
  return MapFrame(data, frame);
}
