// A digest of tables and counts, FNV-1a over the bytes of 32-bit values, least significant byte
// first: the same value on every target for the same values in the same order, so that one
// constant in a test pins thousands of tables across the native and Windows builds.
#pragma once

#include <cstdint>

constexpr uint64_t kDigestStart = 0xCBF29CE484222325ull;

inline void Mix(uint64_t& digest, int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    digest ^= (static_cast<uint32_t>(value) >> shift) & 0xFF;
    digest *= 0x100000001B3ull;
  }
}
