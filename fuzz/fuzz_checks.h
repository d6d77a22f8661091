// What the fuzz targets share: a check that stops the run where it fails, so that libFuzzer
// keeps the input, and the curve square every stored coordinate must lie in.
#pragma once

#include <cstdint>

inline void Require(bool condition) {
  if (!condition) __builtin_trap();
}

inline bool InSquare(int32_t v) { return v >= 0 && v <= 255; }
