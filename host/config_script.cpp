#include "host/config_script.h"

#include "engine/curve_tables.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kCallStart[] = "Config(";
constexpr char kArgumentsBetween[] = ",\"";
constexpr char kCallEnd[] = "\")";

int DecimalLength(unsigned value) { return value >= 100 ? 3 : value >= 10 ? 2 : 1; }

// A coordinate outside the curve square has no two-digit form; such a point can only come from a
// damaged block, and writing it at the square's edge keeps the text well formed.
int32_t ClampToCurve(int32_t value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

char* AppendText(char* out, const char* text) {
  while (*text != '\0') *out++ = *text++;
  return out;
}

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

int ConfigScriptLength(const CurveData& data) {
  int pointCount = 0;
  for (const ControlPoint& p : data.points) {
    if (IsValidPoint(p)) ++pointCount;
  }
  return static_cast<int>(sizeof kCallStart - 1) + DecimalLength(data.mode) +
         static_cast<int>(sizeof kArgumentsBetween - 1) + 4 * pointCount +
         static_cast<int>(sizeof kCallEnd - 1);
}

bool WriteConfigScript(const CurveData& data, char* out, int length) {
  if (out == nullptr) return false;
  if (length <= ConfigScriptLength(data)) {
    if (length >= 1) out[0] = '\0';
    return false;
  }

  out = AppendText(out, kCallStart);
  const unsigned mode = data.mode;
  if (mode >= 100) *out++ = static_cast<char>('0' + mode / 100);
  if (mode >= 10) *out++ = static_cast<char>('0' + mode / 10 % 10);
  *out++ = static_cast<char>('0' + mode % 10);
  out = AppendText(out, kArgumentsBetween);
  for (const ControlPoint& p : data.points) {
    if (!IsValidPoint(p)) continue;
    out = AppendHexByte(out, ClampToCurve(p.x));
    out = AppendHexByte(out, ClampToCurve(p.y));
  }
  out = AppendText(out, kCallEnd);
  *out = '\0';
  return true;
}

void ReadPointText(const char* text, CurveData& data) {
  if (text == nullptr) return;
  // Anything past 256 groups has no slot to go to; it is not even looked at.
  int length = 0;
  while (length < kMaxPointTextLength && text[length] != '\0') ++length;

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
    data.points[slot] = point;
  }
}

void ApplyConfigScript(CurveData& data, int32_t modeArgument, const char* pointText) {
  ResetAllCurves(data);
  data.mode = static_cast<ChannelMode>(static_cast<uint32_t>(modeArgument) & 0xFFu);
  ReadPointText(pointText, data);
  RebuildLut(data);
}

bool FssProc(FilterActivation* fa, const FilterFunctions*, char* out, int length) {
  return WriteConfigScript(*static_cast<const CurveData*>(fa->filter_data), out, length);
}

void ScriptConfig(IScriptInterpreter*, void* context, CScriptValue* argv, int argc) {
  // The registered signature promises two arguments; a host that breaks it gets no change
  // rather than a read past its argument array.
  if (context == nullptr || argv == nullptr || argc < 2) return;
  FilterActivation* const fa = static_cast<FilterActivation*>(context);
  char** const text = argv[1].asString();
  ApplyConfigScript(*static_cast<CurveData*>(fa->filter_data), argv[0].asInt(),
                    text != nullptr ? *text : nullptr);
}
