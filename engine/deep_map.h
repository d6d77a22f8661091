// Frames of 16-bit words mapped through DeepTables (deep_tables.h): planes of luma, one word a
// sample, and RGB pixels of four words, blue, green, red and alpha, whose alpha is copied.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/deep_tables.h"

// Rows of words: each row's first byte and the step to the next row (negative going up). Words
// need not be aligned.
struct WordRows {
  const unsigned char* src;
  ptrdiff_t srcPitch;
  unsigned char* dst;
  ptrdiff_t dstPitch;
  int32_t width;   // samples (planes) or pixels (RGB) per row, at least 1
  int32_t height;  // at least 1
};

// Every word through the table. Source and destination may be the same memory.
void MapWordRows(const uint16_t (&table)[kCodeCount], const WordRows& rows);

// Each colour word through its channel's table. With luma weights (by word: blue, green, red,
// summing to 65536) the master follows on luma: Y = (sum of weight * word + 32768) >> 16 over the
// levelled words, and each levelled word moves by master[Y] - Y, kept within 0..mask. Source and
// destination may be the same memory.
void MapRgb64Rows(const DeepTables& tables, const uint32_t* lumaWeights, uint32_t mask,
                  const WordRows& rows);
