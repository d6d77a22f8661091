#include "tools/filterhost/host_frames.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr unsigned char kFreshByte = 0xCD;

// The layout's plane offsets and pitches, by plane.
void PlaneFields(PixmapLayoutAlpha& l, ptrdiff_t* (&offset)[kMaxPlanes],
                 ptrdiff_t* (&pitch)[kMaxPlanes]) {
  offset[0] = &l.base.data, offset[1] = &l.base.data2, offset[2] = &l.base.data3;
  offset[3] = &l.data4;
  pitch[0] = &l.base.pitch, pitch[1] = &l.base.pitch2, pitch[2] = &l.base.pitch3;
  pitch[3] = &l.pitch4;
}

}  // namespace

void FrameView::Bind(unsigned char* buffer) {
  const PixelFormat format = DescribePixelFormat(layout.base.format);
  std::memset(&pixmap, 0, sizeof pixmap);
  pixmap.base.palette = layout.base.palette;
  pixmap.base.w = layout.base.w;
  pixmap.base.h = layout.base.h;
  pixmap.base.format = layout.base.format;
  const auto at = [&](ptrdiff_t offset) -> void* {
    return buffer != nullptr ? buffer + offset : nullptr;
  };
  pixmap.base.data = at(layout.base.data);
  pixmap.base.pitch = layout.base.pitch;
  pixmap.base.data2 = at(layout.base.data2);
  pixmap.base.pitch2 = layout.base.pitch2;
  pixmap.base.data3 = at(layout.base.data3);
  pixmap.base.pitch3 = layout.base.pitch3;
  if (format.alpha) {
    pixmap.data4 = at(layout.data4);
    pixmap.pitch4 = layout.pitch4;
  }
  // The old fields describe plane 0 from its last row up, as the editors describe it.
  VFBitmap& old = bitmap.base;
  const int32_t rowBytes = BytesPerPixel(format.family) *
                           (format.family == FormatFamily::kPacked ? 2 : 1) * pixmap.base.w;
  old.w = pixmap.base.w;
  old.h = pixmap.base.h;
  old.depth = format.family == FormatFamily::kXrgb32 ? 32 : 0;
  old.pitch = -pixmap.base.pitch;
  old.modulo = old.pitch - rowBytes;
  old.size = (old.pitch < 0 ? -old.pitch : old.pitch) * pixmap.base.h;
  old.data = buffer == nullptr ? nullptr
                               : reinterpret_cast<uint32_t*>(
                                     static_cast<unsigned char*>(pixmap.base.data) +
                                     (pixmap.base.h - 1) * pixmap.base.pitch);
  bitmap.mpPixmap = &pixmap.base;
  bitmap.mpPixmapLayout = &layout.base;
}

int FrameView::Planes(unsigned char* (&data)[kMaxPlanes], ptrdiff_t (&pitch)[kMaxPlanes],
                      PlaneShape (&shapes)[kMaxPlanes]) const {
  const PixelFormat format = DescribePixelFormat(pixmap.base.format);
  const int count = PlaneShapes(format, pixmap.base.w, pixmap.base.h, shapes);
  void* const planes[kMaxPlanes] = {pixmap.base.data, pixmap.base.data2, pixmap.base.data3,
                                    pixmap.data4};
  const ptrdiff_t pitches[kMaxPlanes] = {pixmap.base.pitch, pixmap.base.pitch2,
                                         pixmap.base.pitch3, pixmap.pitch4};
  for (int i = 0; i < count; ++i) {
    data[i] = static_cast<unsigned char*>(planes[i]);
    pitch[i] = pitches[i];
  }
  return count;
}

bool HostFrame::Allocate(const FrameShape& shape, int32_t padding) {
  const PixelFormat format = DescribePixelFormat(shape.code);
  PlaneShape shapes[kMaxPlanes];
  const int count = PlaneShapes(format, shape.width, shape.height, shapes);
  if (count == 0) return false;
  std::memset(&view, 0, sizeof view);
  view.layout.base.w = shape.width;
  view.layout.base.h = shape.height;
  view.layout.base.format = shape.code;
  ptrdiff_t* offset[kMaxPlanes];
  ptrdiff_t* pitch[kMaxPlanes];
  PlaneFields(view.layout, offset, pitch);
  // Sizes are summed in 64 bits: a frame too large for this process is refused, not wrapped.
  uint64_t total = 0;
  for (int i = 0; i < count; ++i) {
    const ptrdiff_t stride = shapes[i].rowBytes + padding + 4 * i;
    const uint64_t bytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(shapes[i].rows);
    if (bytes > PTRDIFF_MAX || total + bytes > PTRDIFF_MAX) return false;
    // XRGB8888 bottom-up, as the editors keep it: the top row last in memory, pitch negative.
    const bool bottomUp = format.family == FormatFamily::kXrgb32;
    *offset[i] = static_cast<ptrdiff_t>(total) + (bottomUp ? stride * (shapes[i].rows - 1) : 0);
    *pitch[i] = bottomUp ? -stride : stride;
    total += bytes;
  }
  buffer.clear();
  try {
    buffer.assign(static_cast<size_t>(total), kFreshByte);
  } catch (const std::bad_alloc&) {
    return false;
  }
  view.info = shape.info;
  view.Bind(buffer.data());
  return true;
}

uint64_t RawFrameBytes(const FrameShape& shape) {
  PlaneShape shapes[kMaxPlanes];
  const int count = PlaneShapes(DescribePixelFormat(shape.code), shape.width, shape.height, shapes);
  uint64_t total = 0;
  for (int i = 0; i < count; ++i)
    total += static_cast<uint64_t>(shapes[i].rowBytes) * static_cast<uint64_t>(shapes[i].rows);
  return total;
}

bool FrameBytesFit(const FrameShape& shape) {
  // Padding: at most kMaxPlanes * (the padding and plane step used here) a row.
  const uint64_t padding = static_cast<uint64_t>(shape.height) * 4096;
  const uint64_t frame = RawFrameBytes(shape) + padding;
  return frame <= static_cast<uint64_t>(PTRDIFF_MAX) && 4 * frame <= SIZE_MAX;
}

namespace {

// Calls copy(row, rowBytes) for every row of every plane in the order raw frames hold them.
template <typename CopyRow>
void ForEachRawRow(const FrameView& view, CopyRow copy) {
  unsigned char* data[kMaxPlanes];
  ptrdiff_t pitch[kMaxPlanes];
  PlaneShape shapes[kMaxPlanes];
  const int count = view.Planes(data, pitch, shapes);
  for (int i = 0; i < count; ++i)
    for (int32_t row = 0; row < shapes[i].rows; ++row)
      copy(data[i] + row * pitch[i], static_cast<size_t>(shapes[i].rowBytes));
}

}  // namespace

void ReadRawFrame(const unsigned char* raw, const FrameView& view) {
  ForEachRawRow(view, [&](unsigned char* row, size_t bytes) {
    std::memcpy(row, raw, bytes);
    raw += bytes;
  });
}

void WriteRawFrame(const FrameView& view, unsigned char* raw) {
  ForEachRawRow(view, [&](const unsigned char* row, size_t bytes) {
    std::memcpy(raw, row, bytes);
    raw += bytes;
  });
}
