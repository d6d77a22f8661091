#include "host/config_script.h"

#include "engine/curve_tables.h"
#include "host/append_text.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kCallStart[] = "Config(";
constexpr char kArgumentsBetween[] = ",\"";
constexpr char kCallEnd[] = "\")";
constexpr char kTextsBetween[] = "\",\"";
constexpr char kKindsAfter[] = "\",";

int DecimalLength(unsigned value) { return value >= 100 ? 3 : value >= 10 ? 2 : 1; }

// 0..999 without leading zeros.
char* AppendDecimal(char* out, unsigned value) {
  if (value >= 100) *out++ = static_cast<char>('0' + value / 100);
  if (value >= 10) *out++ = static_cast<char>('0' + value / 10 % 10);
  *out++ = static_cast<char>('0' + value % 10);
  return out;
}

// A coordinate outside the curve square has no two-digit form; such a point can only come from a
// damaged block, and writing it at the square's edge keeps the text well formed.
int32_t ClampToCurve(int32_t value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

char* AppendHexByte(char* out, int32_t value) {
  *out++ = kHexDigits[(value >> 4) & 0xF];
  *out++ = kHexDigits[value & 0xF];
  return out;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One coordinate from the two characters at position, looking no further than length.
bool ReadCoordinate(const char* text, int length, int position, int32_t& value) {
  const int high = HexDigitValue(text[position]);
  if (high < 0) return false;
  value = high;
  if (position + 1 < length) {
    const int low = HexDigitValue(text[position + 1]);
    if (low >= 0) value = high * 16 + low;
  }
  return true;
}

}  // namespace

int32_t PackKinds(const CurveData& data) {
  int32_t kinds = 0;
  for (int curve = 0; curve < kCurveCount; ++curve) kinds |= KindOf(data, curve) << (2 * curve);
  return kinds;
}

bool NeedsCurvesForm(const CurveData& data) {
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    if (CurveHasPoints(data, curve)) return true;
  }
  return PackKinds(data) != 0 || TargetOf(data) != kTargetChannels;
}

int ConfigScriptLength(const CurveData& data) {
  const bool curves = NeedsCurvesForm(data);
  int length = static_cast<int>(sizeof kCallStart - 1) + DecimalLength(data.mode) +
               static_cast<int>(sizeof kArgumentsBetween - 1) +
               static_cast<int>(sizeof kCallEnd - 1);
  for (int curve = 0; curve < (curves ? kCurveCount : 1); ++curve) {
    const ControlPoint* points = CurvePoints(data, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      if (IsValidPoint(points[i])) length += 4;
    }
  }
  if (curves) {
    length += 3 * static_cast<int>(sizeof kTextsBetween - 1) +
              static_cast<int>(sizeof kKindsAfter - 1) + DecimalLength(PackKinds(data)) - 1;
  }
  if (TargetOf(data) != kTargetChannels) length += 2;  // a comma and one digit
  return length;
}

bool WriteConfigScript(const CurveData& data, char* out, int length) {
  if (out == nullptr) return false;
  if (length <= ConfigScriptLength(data)) {
    if (length >= 1) out[0] = '\0';
    return false;
  }

  const bool curves = NeedsCurvesForm(data);
  out = AppendText(out, kCallStart);
  out = AppendDecimal(out, data.mode);
  out = AppendText(out, kArgumentsBetween);
  for (int curve = 0; curve < (curves ? kCurveCount : 1); ++curve) {
    if (curve > 0) out = AppendText(out, kTextsBetween);
    const ControlPoint* points = CurvePoints(data, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      if (!IsValidPoint(points[i])) continue;
      out = AppendHexByte(out, ClampToCurve(points[i].x));
      out = AppendHexByte(out, ClampToCurve(points[i].y));
    }
  }
  if (curves) {
    out = AppendText(out, kKindsAfter);
    out = AppendDecimal(out, static_cast<unsigned>(PackKinds(data)));
    if (TargetOf(data) != kTargetChannels) {
      *out++ = ',';
      out = AppendDecimal(out, TargetOf(data));
    }
    *out++ = ')';
  } else {
    out = AppendText(out, kCallEnd);
  }
  *out = '\0';
  return true;
}

void ReadPointText(const char* text, ControlPoint* points, int32_t slotCount) {
  if (text == nullptr) return;
  // Anything past the last slot's group has no slot to go to; it is not even looked at.
  const int limit = 4 * slotCount;
  int length = 0;
  while (length < limit && text[length] != '\0') ++length;

  for (int slot = 0, position = 0; position < length; ++slot, position += 4) {
    ControlPoint point{kEmpty, kEmpty};
    int32_t x;
    if (ReadCoordinate(text, length, position, x)) {
      int32_t y;
      // Stored texts of length 4n+2 and 4n+3 have always read a missing y as a repeat of x.
      if (position + 2 >= length) {
        point = ControlPoint{x, x};
      } else if (ReadCoordinate(text, length, position + 2, y)) {
        point = ControlPoint{x, y};
      }
    }
    points[slot] = point;
  }
}

void ReadPointText(const char* text, CurveData& data) {
  ReadPointText(text, data.points, kSlotCount);
}

void ApplyConfigScript(CurveData& data, int32_t modeArgument, const char* pointText) {
  ResetAllCurves(data);
  data.mode = static_cast<ChannelMode>(static_cast<uint32_t>(modeArgument) & 0xFFu);
  ReadPointText(pointText, data);
  RebuildLut(data);
}

void ApplyCurvesScript(CurveData& data, int32_t modeArgument, const char* const (&pointTexts)[4],
                       int32_t kinds, int32_t targetArgument) {
  ResetAllCurves(data);
  data.mode = static_cast<ChannelMode>(static_cast<uint32_t>(modeArgument) & 0xFFu);
  for (int curve = 0; curve < kCurveCount; ++curve) {
    ReadPointText(pointTexts[curve], CurvePoints(data, curve), CurveSlotCount(curve));
    const uint32_t field = (static_cast<uint32_t>(kinds) >> (2 * curve)) & 3u;
    const CurveKind kind = static_cast<CurveKind>(field);
    data.kind[curve] = kind < kKindCount ? kind : CurveKind{kKindSmooth};
  }
  data.target = targetArgument == kTargetLuma709 || targetArgument == kTargetLuma601
                    ? static_cast<MasterTarget>(targetArgument)
                    : MasterTarget{kTargetChannels};
  RebuildAllCurves(data);
}

bool FssProc(FilterActivation* fa, const FilterFunctions*, char* out, int length) {
  return WriteConfigScript(*static_cast<const CurveData*>(fa->filter_data), out, length);
}

namespace {

const char* StringArgument(CScriptValue& value) {
  char** const text = value.asString();
  return text != nullptr ? *text : nullptr;
}

}  // namespace

void ScriptConfig(IScriptInterpreter*, void* context, CScriptValue* argv, int argc) {
  // The registered signature promises two arguments; a host that breaks it gets no change
  // rather than a read past its argument array.
  if (context == nullptr || argv == nullptr || argc < 2) return;
  FilterActivation* const fa = static_cast<FilterActivation*>(context);
  ApplyConfigScript(*static_cast<CurveData*>(fa->filter_data), argv[0].asInt(),
                    StringArgument(argv[1]));
}

namespace {

// The six- and seven-argument calls alike; the six-argument one has no target.
void ConfigCurves(void* context, CScriptValue* argv, int argc, int expected) {
  if (context == nullptr || argv == nullptr || argc < expected) return;
  FilterActivation* const fa = static_cast<FilterActivation*>(context);
  const char* const texts[kCurveCount] = {StringArgument(argv[1]), StringArgument(argv[2]),
                                          StringArgument(argv[3]), StringArgument(argv[4])};
  ApplyCurvesScript(*static_cast<CurveData*>(fa->filter_data), argv[0].asInt(), texts,
                    argv[5].asInt(), expected > 6 ? argv[6].asInt() : kTargetChannels);
}

}  // namespace

void ScriptConfigCurves(IScriptInterpreter*, void* context, CScriptValue* argv, int argc) {
  ConfigCurves(context, argv, argc, 6);
}

void ScriptConfigWithTarget(IScriptInterpreter*, void* context, CScriptValue* argv, int argc) {
  ConfigCurves(context, argv, argc, 7);
}
