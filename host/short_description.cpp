#include "host/short_description.h"

namespace {

char* Append(char* out, const char* text) {
  while (*text != '\0') *out++ = *text++;
  return out;
}

}  // namespace

void WriteShortDescription(const CurveData& data, char* out) {
  static constexpr const char* kChannelMarks[kCurveCount] = {"", "+R", "+G", "+B"};
  out = Append(out, "(MODE = ");
  out = Append(out, ModeName(data.mode));
  bool anyChannel = false;
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    if (!CurveHasPoints(data, curve)) continue;
    out = Append(out, anyChannel ? "" : ", ");
    out = Append(out, kChannelMarks[curve]);
    anyChannel = true;
  }
  bool monotone = false, linear = false;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    monotone |= KindOf(data, curve) == kKindMonotone;
    linear |= KindOf(data, curve) == kKindLinear;
  }
  if (monotone || linear) {
    out = Append(out, monotone && linear ? ", monotone/linear"
                      : monotone         ? ", monotone"
                                         : ", linear");
  }
  out = Append(out, ")");
  *out = '\0';
}
