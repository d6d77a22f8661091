#include "editor/sampled_frame.h"

#include <windows.h>

#include <cstring>

#include "engine/curve_tables.h"

namespace {

// Copies the frame's pixels row after row into memory of the editor's own; null when the frame
// is empty or there is no memory for it.
uint32_t* CopyPixels(const FramePixels& frame, size_t& count) {
  count = 0;
  if (frame.data == nullptr || frame.width <= 0 || frame.height <= 0) return nullptr;
  const uint64_t pixels = static_cast<uint64_t>(frame.width) * static_cast<uint64_t>(frame.height);
  if (pixels > SIZE_MAX / sizeof(uint32_t)) return nullptr;
  // From the process heap, not operator new: the module carries no exception runtime.
  uint32_t* copy = static_cast<uint32_t*>(
      HeapAlloc(GetProcessHeap(), 0, static_cast<size_t>(pixels) * sizeof(uint32_t)));
  if (copy == nullptr) return nullptr;
  const size_t rowBytes = static_cast<size_t>(frame.width) * sizeof(uint32_t);
  const unsigned char* row = static_cast<const unsigned char*>(frame.data);
  for (int32_t y = 0;; ++y) {
    std::memcpy(copy + static_cast<size_t>(y) * static_cast<size_t>(frame.width), row, rowBytes);
    // No step past the last row: the pointer would leave the host's buffer.
    if (y + 1 == frame.height) break;
    row += frame.pitch;
  }
  count = static_cast<size_t>(pixels);
  return copy;
}

}  // namespace

void KeepSample(SampledFrame& sample, const FramePixels& frame) {
  ForgetSample(sample);
  CountFrameLevels(frame.data, frame.width, frame.height, frame.pitch, sample.counts);
  sample.pixels = CopyPixels(frame, sample.pixelCount);
  sample.present = true;
}

void ForgetSample(SampledFrame& sample) {
  if (sample.pixels != nullptr) HeapFree(GetProcessHeap(), 0, sample.pixels);
  sample.pixels = nullptr;
  sample.pixelCount = 0;
  sample.present = false;
  sample.lumaCounted = false;
}

bool EditedCurveHistogram(SampledFrame& sample, const CurveData& data, int curve,
                          uint64_t (&histogram)[kLutSize]) {
  if (!sample.present) return false;
  const MasterTarget target = TargetOf(data);
  if (curve != kCurveMaster || target == kTargetChannels) {
    CurveInputHistogram(data, sample.counts, curve, histogram);
    return true;
  }
  if (sample.pixels == nullptr) return false;
  uint8_t levels[3][kLutSize];
  ComposeChannelTables(data, levels);  // under a luma target: the channel curves alone
  if (!sample.lumaCounted || sample.lumaTarget != target ||
      std::memcmp(levels, sample.lumaLevels, sizeof levels) != 0) {
    CountLumaLevels(sample.pixels, sample.pixelCount, levels, target, sample.luma);
    std::memcpy(sample.lumaLevels, levels, sizeof levels);
    sample.lumaTarget = target;
    sample.lumaCounted = true;
  }
  std::memcpy(histogram, sample.luma, sizeof histogram);
  return true;
}
