#include "host/short_description.h"

#include "host/append_text.h"

void WriteShortDescription(const CurveData& data, char* out) {
  static constexpr const char* kChannelMarks[kCurveCount] = {"", "+R", "+G", "+B"};
  // Under a luma target the mode maps nothing; the target takes its place.
  const MasterTarget target = TargetOf(data);
  out = AppendText(out, "(MODE = ");
  out = AppendText(out, target == kTargetLuma709   ? "Luma"
                        : target == kTargetLuma601 ? "Luma 601"
                                                   : ModeName(data.mode));
  bool anyChannel = false;
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    if (!CurveHasPoints(data, curve)) continue;
    out = AppendText(out, anyChannel ? "" : ", ");
    out = AppendText(out, kChannelMarks[curve]);
    anyChannel = true;
  }
  bool monotone = false, linear = false;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    monotone |= KindOf(data, curve) == kKindMonotone;
    linear |= KindOf(data, curve) == kKindLinear;
  }
  if (monotone || linear) {
    out = AppendText(out, monotone && linear ? ", monotone/linear"
                      : monotone         ? ", monotone"
                                         : ", linear");
  }
  out = AppendText(out, ")");
  *out = '\0';
}
