// Rows of bytes in a source and a destination plane, which may be the same memory: each row's
// first byte and the step to the next row (negative where rows are stored bottom-up).
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteRows {
  const unsigned char* src;
  ptrdiff_t srcPitch;
  unsigned char* dst;
  ptrdiff_t dstPitch;
  int32_t rowBytes;  // at least 1
  int32_t height;    // at least 1
};

// Calls mapRow(src, dst) for every row, never stepping a pointer past the last row, where it
// would leave the plane. Rows: ByteRows, or any record of rows with the same members.
template <typename Rows, typename MapRow>
void ForEachRowOf(const Rows& rows, MapRow mapRow) {
  const unsigned char* src = rows.src;
  unsigned char* dst = rows.dst;
  for (int32_t row = 0;; ++row) {
    mapRow(src, dst);
    if (row + 1 == rows.height) break;
    src += rows.srcPitch;
    dst += rows.dstPitch;
  }
}
