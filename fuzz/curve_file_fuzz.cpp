// Any bytes offered as a curve file. A refused file leaves the record as it was and gives a
// reason. An accepted one leaves every slot a point in the curve square or empty, touches nothing
// but the curves and the mode, and survives a save and reload: the same knots and tables, and
// saving again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/curve_file.h"
#include "engine/knot_curves.h"
#include "fuzz/fuzz_checks.h"

namespace {

void Prepare(CurveData& data) {
  std::memset(&data, 0xA5, sizeof data);
  InitCurveData(data);
}

bool SameKnots(const CurveData& a, const CurveData& b, int curve) {
  Knots ka, kb;
  CollectKnots(CurvePoints(a, curve), CurveSlotCount(curve), ka);
  CollectKnots(CurvePoints(b, curve), CurveSlotCount(curve), kb);
  return ka.count == kb.count &&
         std::memcmp(ka.x, kb.x, sizeof ka.x[0] * static_cast<size_t>(ka.count)) == 0 &&
         std::memcmp(ka.y, kb.y, sizeof ka.y[0] * static_cast<size_t>(ka.count)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CurveData curves;
  Prepare(curves);
  const CurveData before = curves;
  char reason[kCurveFileReasonLength];
  if (!ReadCurveFile(data, size, curves, reason)) {
    Require(std::memcmp(&curves, &before, sizeof curves) == 0);
    Require(reason[0] != '\0' && std::memchr(reason, '\0', sizeof reason) != nullptr);
    return 0;
  }
  Require(curves.mode == kModeRgb);
  Require(std::memcmp(curves.channelSnapshot, before.channelSnapshot,
                      sizeof curves.channelSnapshot) == 0);
  Require(std::memcmp(curves.pointsSnapshot, before.pointsSnapshot,
                      sizeof curves.pointsSnapshot) == 0);
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const ControlPoint* points = CurvePoints(curves, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      const ControlPoint& p = points[i];
      Require((p.x == kEmpty && p.y == kEmpty) || (InSquare(p.x) && InSquare(p.y)));
    }
  }

  uint8_t saved[kMaxCurveFileBytes];
  int32_t difference = -1;
  const int32_t length = WriteCurveFile(curves, saved, difference);
  Require(difference == 0);  // what a file brings is monotone, and comes back exactly
  Require(length > 0 && length <= kMaxCurveFileBytes);
  CurveData reloaded;
  Prepare(reloaded);
  Require(ReadCurveFile(saved, static_cast<size_t>(length), reloaded, reason));
  for (int curve = 0; curve < kCurveCount; ++curve) {
    Require(SameKnots(curves, reloaded, curve));
    Require(std::memcmp(CurveLut(curves, curve), CurveLut(reloaded, curve),
                        sizeof curves.lut) == 0);
  }
  uint8_t again[kMaxCurveFileBytes];
  Require(WriteCurveFile(reloaded, again, difference) == length && difference == 0);
  Require(std::memcmp(saved, again, static_cast<size_t>(length)) == 0);
  return 0;
}
