// A frame laid out as a host hands it over (rows in walk order, `modulo` bytes between them,
// possibly walking downwards), in memory fenced by inaccessible pages. Every byte that is not a
// pixel is filled with a known pattern so a test can prove it was neither written nor needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/support/guarded_buffer.h"

class GuardedFrame {
 public:
  // modulo >= 0 walks upwards in memory; a walk downwards needs 4 * w + modulo <= -4 * w so that
  // rows do not overlap. `lead` extra bytes before the frame shift its alignment when the frame
  // sits against the leading fence.
  GuardedFrame(int32_t w, int32_t h, ptrdiff_t modulo, GuardedBuffer::Fence fence, size_t lead = 0)
      : w_(w), h_(h), modulo_(modulo) {
    const ptrdiff_t stride = RowStride();
    const ptrdiff_t rowBytes = 4 * static_cast<ptrdiff_t>(w);
    if (stride < 0 && -stride < rowBytes) std::abort();  // overlapping rows: not a host layout
    const size_t span = static_cast<size_t>((h - 1) * (stride < 0 ? -stride : stride) + rowBytes);
    buffer_ = std::make_unique<GuardedBuffer>(span + lead, fence);
    start_ = buffer_->data() + lead;
    for (size_t i = 0; i < buffer_->size(); ++i) buffer_->data()[i] = GapByte(i);
  }

  unsigned char* first() { return start_ + RowOffset(0); }
  ptrdiff_t modulo() const { return modulo_; }
  int32_t width() const { return w_; }
  int32_t height() const { return h_; }

  uint32_t Pixel(int32_t row, int32_t col) const {
    uint32_t v;
    std::memcpy(&v, start_ + RowOffset(row) + 4 * col, 4);
    return v;
  }
  void SetPixel(int32_t row, int32_t col, uint32_t v) {
    std::memcpy(start_ + RowOffset(row) + 4 * col, &v, 4);
  }

  // Number of bytes outside the pixels (the lead, the row gaps) that no longer hold the pattern.
  size_t ChangedGapBytes() const {
    size_t changed = 0;
    for (size_t i = 0; i < buffer_->size(); ++i)
      if (!IsPixelByte(i) && buffer_->data()[i] != GapByte(i)) ++changed;
    return changed;
  }

 private:
  ptrdiff_t RowStride() const { return 4 * static_cast<ptrdiff_t>(w_) + modulo_; }
  // Offset of a row from start_, the lowest pixel address.
  ptrdiff_t RowOffset(int32_t row) const {
    const ptrdiff_t stride = RowStride();
    return stride >= 0 ? row * stride : (h_ - 1 - row) * -stride;
  }
  bool IsPixelByte(size_t offset) const {
    const ptrdiff_t at = static_cast<ptrdiff_t>(offset) - (start_ - buffer_->data());
    if (at < 0) return false;
    for (int32_t row = 0; row < h_; ++row) {
      const ptrdiff_t begin = RowOffset(row);
      if (at >= begin && at < begin + 4 * static_cast<ptrdiff_t>(w_)) return true;
    }
    return false;
  }
  static unsigned char GapByte(size_t i) { return static_cast<unsigned char>(0xA5 ^ (i * 7)); }

  int32_t w_, h_;
  ptrdiff_t modulo_;
  std::unique_ptr<GuardedBuffer> buffer_;
  unsigned char* start_;
};
