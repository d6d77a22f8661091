#include "engine/deep_map.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tests/support/guarded_buffer.h"

namespace {

uint16_t WordAt(const unsigned char* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

// 64-bit RGB through the channel tables, every width up to a few steps of the loop, in place or
// into another buffer, walked either way, each buffer against an inaccessible page: colour words
// looked up, alpha kept, row gaps untouched.
TEST(Rgb64Rows, ChannelTablesBetweenFences) {
  std::mt19937 rng(64);
  auto tables = std::make_unique<DeepTables>();
  for (auto& channel : tables->channel)
    for (uint16_t& code : channel) code = static_cast<uint16_t>(rng());
  for (int32_t width = 1; width <= 9; ++width) {
    for (const bool inPlace : {true, false}) {
      const int32_t height = 1 + width % 3;
      const ptrdiff_t stride = 8 * width + 2 * (width % 3);
      const bool upward = width % 2 == 0;
      const size_t bytes = static_cast<size_t>(stride * (height - 1) + 8 * width);
      const auto fence = (width + inPlace) % 2 ? GuardedBuffer::Fence::kAfter
                                               : GuardedBuffer::Fence::kBefore;
      GuardedBuffer src(bytes, fence);
      GuardedBuffer other(bytes, fence == GuardedBuffer::Fence::kAfter
                                     ? GuardedBuffer::Fence::kBefore
                                     : GuardedBuffer::Fence::kAfter);
      for (size_t i = 0; i < bytes; ++i) src.data()[i] = static_cast<unsigned char>(rng());
      std::memset(other.data(), 0xC3, bytes);
      const std::vector<unsigned char> before(src.data(), src.data() + bytes);
      unsigned char* dst = inPlace ? src.data() : other.data();
      const ptrdiff_t first = upward ? stride * (height - 1) : 0;
      const ptrdiff_t pitch = upward ? -stride : stride;
      MapRgb64Rows(*tables, nullptr, 65535,
                   WordRows{src.data() + first, pitch, dst + first, pitch, width, height});

      const std::string what = "width " + std::to_string(width) + (inPlace ? " in place" : "");
      for (size_t i = 0; i + 1 < bytes; i += 2) {
        const ptrdiff_t column = static_cast<ptrdiff_t>(i) % stride;
        if (column >= 8 * width) {
          ASSERT_EQ(WordAt(dst + i), inPlace ? WordAt(before.data() + i) : 0xC3C3) << what << i;
          continue;
        }
        const int word = static_cast<int>(column % 8 / 2);
        const uint16_t in = WordAt(before.data() + i);
        ASSERT_EQ(WordAt(dst + i), word == 3 ? in : tables->channel[word][in]) << what << i;
      }
    }
  }
}

}  // namespace
