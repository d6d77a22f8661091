#include "engine/gimp_curves.h"

#include <cstring>

namespace {

constexpr char kTextHeader[] = "# GIMP Curves File";
constexpr char kSettingsHeader[] = "# GIMP curves tool settings";

// The file's channels in the order the text format holds them; the first four are our curves by
// CurveIndex.
constexpr int kFileChannels = 5;
constexpr int kAlpha = 4;
const char* const kChannelNames[kFileChannels] = {"value", "red", "green", "blue", "alpha"};

constexpr int32_t kTextPairs = 17;
constexpr int32_t kUnused = -1;

// Bounds on what a curve in the settings format may hold. Points: every level once. Samples: the
// editor writes 256; a table of a finer or coarser grid is taken too, up to this many.
constexpr int32_t kMaxPoints = kLutSize;
constexpr int32_t kMinSamples = 2;
constexpr int32_t kMaxSamples = 4096;

bool IsSpace(uint8_t c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// The bytes after the first line when it is `header` (trailing blanks and a carriage return
// allowed), or null.
const uint8_t* AfterHeader(const uint8_t* bytes, size_t size, const char* header) {
  const size_t length = std::strlen(header);
  if (bytes == nullptr || size < length || std::memcmp(bytes, header, length) != 0) return nullptr;
  const uint8_t* p = bytes + length;
  const uint8_t* const end = bytes + size;
  while (p < end && *p != '\n' && IsSpace(*p)) ++p;
  if (p == end) return p;
  return *p == '\n' ? p + 1 : nullptr;
}

// The curves of one file as they are read, and how closely they keep the file's tables.
struct Reading {
  ImportedCurves curves;
  TableFit fit;
  bool seen[kFileChannels];
};

void StartReading(Reading& reading) {
  StartImport(reading.curves);
  reading.fit = TableFit{0, kEmpty};
  for (bool& seen : reading.seen) seen = false;
}

// ---- The text format ----

// Reads one whole number; false when the next word is no number at all. Numbers too long for
// an int32 saturate: they are out of range either way.
bool ReadWhole(const uint8_t*& p, const uint8_t* end, int32_t& value) {
  while (p < end && IsSpace(*p)) ++p;
  const bool negative = p < end && *p == '-';
  if (negative) ++p;
  if (p == end || !IsDigit(*p)) return false;
  int64_t magnitude = 0;
  while (p < end && IsDigit(*p)) {
    if (magnitude < 100000) magnitude = magnitude * 10 + (*p - '0');
    ++p;
  }
  if (p < end && !IsSpace(*p)) return false;
  value = static_cast<int32_t>(negative ? -magnitude : magnitude);
  return true;
}

bool ReadTextFormat(const uint8_t* p, const uint8_t* end, Reading& reading,
                    char (&reason)[kReasonLength]) {
  for (int channel = 0; channel < kFileChannels; ++channel) {
    const char* const name = kChannelNames[channel];
    ControlPoint points[kTextPairs];
    int32_t count = 0;
    for (int32_t pair = 0; pair < kTextPairs; ++pair) {
      int32_t xy[2];
      for (int k = 0; k < 2; ++k) {
        int32_t& v = xy[k];
        while (p < end && IsSpace(*p)) ++p;
        if (p == end) {
          Reason(reason) << "The file ends " << (pair == 0 && k == 0 ? "before" : "inside")
                         << " the " << name << " curve.";
          return false;
        }
        if (!ReadWhole(p, end, v)) {
          Reason(reason) << "The " << name << " curve holds something other than a number.";
          return false;
        }
        if (v < kUnused || v > 255) {
          Reason(reason) << "The " << name << " curve has the value " << v
                         << "; values run from 0 to 255, and -1 marks an unused point.";
          return false;
        }
      }
      if (xy[0] == kUnused) continue;
      if (xy[1] == kUnused) {
        Reason(reason) << "The " << name << " curve has a point at " << xy[0]
                       << " without an output level.";
        return false;
      }
      points[count++] = ControlPoint{xy[0], xy[1]};
    }
    // Seventeen points always fit: the fewest slots a curve has is 64.
    if (channel != kAlpha) ImportPoints(reading.curves, channel, points, count);
  }
  while (p < end && IsSpace(*p)) ++p;
  if (p != end) {
    Reason(reason) << "The file goes on after the alpha curve.";
    return false;
  }
  return true;
}

// ---- The settings format ----

enum class Token { kOpen, kClose, kWord, kText, kEnd, kUnfinishedText };

// Splits the settings format into brackets, words and quoted texts; # starts a comment that runs
// to the end of its line.
class Scanner {
 public:
  Scanner(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}

  Token Next() {
    for (;;) {
      while (p_ < end_ && IsSpace(*p_)) ++p_;
      if (p_ == end_ || *p_ != '#') break;
      while (p_ < end_ && *p_ != '\n') ++p_;
    }
    word_ = p_;
    if (p_ == end_) return Token::kEnd;
    if (*p_ == '(') return ++p_, Token::kOpen;
    if (*p_ == ')') return ++p_, Token::kClose;
    if (*p_ == '"') {
      for (++p_; p_ < end_ && *p_ != '"'; ++p_) {
        if (*p_ == '\\' && p_ + 1 < end_) ++p_;
      }
      if (p_ == end_) return Token::kUnfinishedText;
      return ++p_, Token::kText;
    }
    while (p_ < end_ && !IsSpace(*p_) && *p_ != '(' && *p_ != ')' && *p_ != '"') ++p_;
    return Token::kWord;
  }

  // The last word read.
  bool WordIs(const char* text) const {
    const size_t length = std::strlen(text);
    return static_cast<size_t>(p_ - word_) == length && std::memcmp(word_, text, length) == 0;
  }
  const uint8_t* word() const { return word_; }
  const uint8_t* wordEnd() const { return p_; }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
  const uint8_t* word_ = nullptr;
};

// A count: digits only, saturating well above any bound it is checked against.
bool ParseCount(const uint8_t* p, const uint8_t* end, int32_t& count) {
  if (p == end) return false;
  int64_t value = 0;
  for (; p < end; ++p) {
    if (!IsDigit(*p)) return false;
    if (value < 1000000) value = value * 10 + (*p - '0');
  }
  count = static_cast<int32_t>(value);
  return true;
}

enum class Unit { kLevel, kUnused, kOutOfRange, kNotANumber };

// A decimal real (sign, digits, a point, an exponent) that should lie in 0..1, as the nearest
// level: x * 255 rounded, half up. Worked in whole numbers from the digits, so every build rounds
// alike and no locale's decimal sign gets in the way. -1 marks an unused point.
Unit ParseUnit(const uint8_t* p, const uint8_t* end, int32_t& level) {
  const bool negative = p < end && (*p == '-' || *p == '+') ? *p++ == '-' : false;
  // The value is 0.d1 d2 d3 ... * 10^point; up to 40 significant digits are kept.
  uint8_t digits[40];
  int32_t kept = 0;
  int64_t point = 0;
  bool seenDigit = false, seenPoint = false, significant = false;
  for (; p < end && (IsDigit(*p) || (*p == '.' && !seenPoint)); ++p) {
    if (*p == '.') {
      seenPoint = true;
      continue;
    }
    seenDigit = true;
    if (*p == '0' && !significant) {
      if (seenPoint) --point;
      continue;
    }
    significant = true;
    if (kept < 40) digits[kept++] = static_cast<uint8_t>(*p - '0');
    if (!seenPoint) ++point;
  }
  if (!seenDigit) return Unit::kNotANumber;
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    const bool down = p < end && (*p == '-' || *p == '+') ? *p++ == '-' : false;
    if (p == end || !IsDigit(*p)) return Unit::kNotANumber;
    int64_t exponent = 0;
    for (; p < end && IsDigit(*p); ++p) {
      if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
    }
    point += down ? -exponent : exponent;
  }
  if (p != end) return Unit::kNotANumber;
  while (kept > 0 && digits[kept - 1] == 0) --kept;  // 10e-1 is 1

  if (kept == 0) {  // zero, of either sign
    level = 0;
    return Unit::kLevel;
  }
  const bool isOne = point == 1 && kept == 1 && digits[0] == 1;
  if (negative) return isOne ? Unit::kUnused : Unit::kOutOfRange;
  if (isOne) {
    level = 255;
    return Unit::kLevel;
  }
  if (point > 0) return Unit::kOutOfRange;
  // The first 16 decimals as a whole number; 510 times it still fits in 64 bits.
  constexpr uint64_t kScale = 10000000000000000;
  uint64_t fraction = 0;
  for (int64_t decimal = 0; decimal < 16; ++decimal) {
    const int64_t index = decimal + point;  // digits[0] sits at decimal -point
    fraction = fraction * 10 + (index >= 0 && index < kept ? digits[index] : 0);
  }
  level = static_cast<int32_t>((510 * fraction + kScale) / (2 * kScale));
  return Unit::kLevel;
}

// Passes over the rest of a list whose opening bracket has been read.
bool SkipList(Scanner& scanner) {
  for (int64_t depth = 1; depth > 0;) {
    switch (scanner.Next()) {
      case Token::kOpen: ++depth; break;
      case Token::kClose: --depth; break;
      case Token::kEnd:
      case Token::kUnfinishedText: return false;
      default: break;
    }
  }
  return true;
}

// One "(curve ...)" as read.
struct CurveList {
  bool smooth, freehand;
  int32_t pointCount;  // n-points, -1 before it is read
  int32_t pairCount;   // points read
  ControlPoint points[kMaxPoints];
  int32_t sampleCount;  // n-samples, -1 before it is read
  int32_t samplesRead;  // -1 before the samples list
  uint8_t samples[kMaxSamples];
};

class SettingsReader {
 public:
  SettingsReader(Scanner& scanner, char (&reason)[kReasonLength])
      : scanner_(scanner), reason_(reason) {}

  bool Read(Reading& reading) {
    int channel = -1;
    bool anyCurve = false;
    for (;;) {
      const Token token = scanner_.Next();
      if (token == Token::kEnd) break;
      if (token != Token::kOpen) return Malformed();
      if (scanner_.Next() != Token::kWord) return Malformed();
      if (scanner_.WordIs("channel")) {
        if (!ReadChannel(channel)) return false;
      } else if (scanner_.WordIs("curve")) {
        if (channel < 0) {
          Reason(reason_) << "The file has a curve before it names a channel.";
          return false;
        }
        if (reading.seen[channel]) {
          Reason(reason_) << "The file holds the " << kChannelNames[channel] << " curve twice.";
          return false;
        }
        if (!ReadCurve(channel, reading)) return false;
        reading.seen[channel] = true;
        anyCurve = true;
      } else if (!SkipList(scanner_)) {
        return Malformed();
      }
    }
    if (!anyCurve) {
      Reason(reason_) << "The file holds no curves.";
      return false;
    }
    return true;
  }

 private:
  bool Malformed() {
    Reason(reason_) << "The file is damaged: its brackets or words are not in the order of a "
                       "curves settings file.";
    return false;
  }

  bool ReadChannel(int& channel) {
    if (scanner_.Next() != Token::kWord) return Malformed();
    channel = -1;
    for (int c = 0; c < kFileChannels; ++c) {
      if (scanner_.WordIs(kChannelNames[c])) channel = c;
    }
    if (channel < 0) {
      Reason(reason_) << "The file names a channel other than value, red, green, blue and alpha.";
      return false;
    }
    return scanner_.Next() == Token::kClose || Malformed();
  }

  bool ReadCount(const char* what, int32_t low, int32_t high, int32_t& count) {
    if (scanner_.Next() != Token::kWord ||
        !ParseCount(scanner_.word(), scanner_.wordEnd(), count) || count < low ||
        count > high) {
      Reason(reason_) << "The " << name_ << " curve's " << what << " count is not a whole number "
                      << "from " << low << " to " << high << ".";
      return false;
    }
    return true;
  }

  bool ReadCurve(int channel, Reading& reading) {
    name_ = kChannelNames[channel];
    CurveList& list = list_;
    list.smooth = list.freehand = false;
    list.pointCount = list.sampleCount = list.samplesRead = -1;
    list.pairCount = 0;
    for (;;) {
      const Token token = scanner_.Next();
      if (token == Token::kClose) break;
      if (token != Token::kOpen || scanner_.Next() != Token::kWord) return Malformed();
      bool read = true;
      if (scanner_.WordIs("curve-type")) {
        read = ReadType(list);
      } else if (scanner_.WordIs("n-points")) {
        read = ReadCount("point", 0, kMaxPoints, list.pointCount) && Closed();
      } else if (scanner_.WordIs("points")) {
        read = ReadPointList(list);
      } else if (scanner_.WordIs("n-samples")) {
        read = ReadCount("sample", kMinSamples, kMaxSamples, list.sampleCount) && Closed();
      } else if (scanner_.WordIs("samples")) {
        read = ReadSampleList(list);
      } else if (!SkipList(scanner_)) {
        return Malformed();
      }
      if (!read) return false;
    }
    return Finish(channel, list, reading);
  }

  bool Closed() { return scanner_.Next() == Token::kClose || Malformed(); }

  bool ReadType(CurveList& list) {
    if (scanner_.Next() != Token::kWord) return Malformed();
    list.smooth = scanner_.WordIs("smooth");
    list.freehand = scanner_.WordIs("freehand");
    if (!list.smooth && !list.freehand) {
      Reason(reason_) << "The " << name_ << " curve is of a type other than smooth and freehand.";
      return false;
    }
    return Closed();
  }

  bool ReadPointList(CurveList& list) {
    int32_t values = 0;
    if (!ReadCount("point value", 0, 2 * kMaxPoints, values)) return false;
    if (list.pointCount < 0 || values != 2 * list.pointCount) {
      Reason(reason_) << "The " << name_ << " curve's points do not follow their count, "
                      << "two values a point.";
      return false;
    }
    list.pairCount = 0;
    for (int32_t i = 0; i < list.pointCount; ++i) {
      int32_t xy[2];
      if (!ReadValue(xy[0], true) || !ReadValue(xy[1], true)) return false;
      if (xy[0] == kUnused) continue;
      if (xy[1] == kUnused) {
        Reason(reason_) << "The " << name_ << " curve has a point without an output level.";
        return false;
      }
      list.points[list.pairCount++] = ControlPoint{xy[0], xy[1]};
    }
    return Closed();
  }

  bool ReadSampleList(CurveList& list) {
    int32_t values = 0;
    if (!ReadCount("sample value", 0, kMaxSamples, values)) return false;
    if (list.sampleCount < 0 || values != list.sampleCount) {
      Reason(reason_) << "The " << name_ << " curve's samples do not follow their count.";
      return false;
    }
    for (int32_t i = 0; i < values; ++i) {
      int32_t level = 0;
      if (!ReadValue(level, false)) return false;
      list.samples[i] = static_cast<uint8_t>(level);
    }
    list.samplesRead = values;
    return Closed();
  }

  bool ReadValue(int32_t& level, bool unusedAllowed) {
    if (scanner_.Next() != Token::kWord) return Malformed();
    switch (ParseUnit(scanner_.word(), scanner_.wordEnd(), level)) {
      case Unit::kLevel: return true;
      case Unit::kUnused:
        if (unusedAllowed) {
          level = kUnused;
          return true;
        }
        break;
      case Unit::kOutOfRange: break;
      case Unit::kNotANumber:
        Reason(reason_) << "The " << name_ << " curve holds something other than a number.";
        return false;
    }
    Reason(reason_) << "The " << name_ << " curve has a value outside 0 to 1.";
    return false;
  }

  bool Finish(int channel, const CurveList& list, Reading& reading) {
    if (!list.smooth && !list.freehand) {
      Reason(reason_) << "The " << name_ << " curve does not say whether it is smooth or "
                      << "freehand.";
      return false;
    }
    const bool hasSamples = list.samplesRead >= 0;
    if (list.smooth && list.pointCount < 0) {
      Reason(reason_) << "The " << name_ << " curve is smooth but has no points.";
      return false;
    }
    if (list.freehand && !hasSamples) {
      Reason(reason_) << "The " << name_ << " curve is freehand but has no samples.";
      return false;
    }
    if (channel == kAlpha) return true;
    if (list.smooth && ImportPoints(reading.curves, channel, list.points, list.pairCount)) {
      return true;
    }
    if (!hasSamples) {
      Reason(reason_) << "The " << name_ << " curve has " << list.pairCount << " points; at most "
                      << CurveSlotCount(channel) << " fit.";
      return false;
    }
    // A table on the file's grid of samples, each level from the nearest sample.
    const int64_t last = list.samplesRead - 1;
    int32_t table[kLutSize];
    for (int64_t v = 0; v < kLutSize; ++v) table[v] = list.samples[(2 * v * last + 255) / 510];
    ImportTable(reading.curves, channel, table, reading.fit);
    return true;
  }

  Scanner& scanner_;
  char (&reason_)[kReasonLength];
  const char* name_ = "";
  CurveList list_;
};

}  // namespace

bool IsGimpCurvesFile(const uint8_t* bytes, size_t size) {
  return AfterHeader(bytes, size, kTextHeader) != nullptr ||
         AfterHeader(bytes, size, kSettingsHeader) != nullptr;
}

bool ReadGimpCurvesFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                        char (&reason)[kReasonLength]) {
  reason[0] = '\0';
  if (bytes != nullptr && size > kMaxGimpCurvesFileBytes) {
    Reason(reason) << "The file is " << static_cast<int64_t>(size)
                   << " bytes long; a curves file is far shorter.";
    return false;
  }
  const uint8_t* const end = bytes + (bytes != nullptr ? size : 0);
  const uint8_t* const text = AfterHeader(bytes, size, kTextHeader);
  const uint8_t* const settings = AfterHeader(bytes, size, kSettingsHeader);
  Reading reading;
  StartReading(reading);
  if (text != nullptr) {
    if (!ReadTextFormat(text, end, reading, reason)) return false;
  } else if (settings != nullptr) {
    Scanner scanner(settings, end);
    SettingsReader reader(scanner, reason);
    if (!reader.Read(reading)) return false;
  } else {
    Reason(reason) << "The file is not a GIMP curves file: its first line is neither \""
                   << kTextHeader << "\" nor \"" << kSettingsHeader << "\".";
    return false;
  }
  FinishImport(reading.curves, data);
  fit = reading.fit;
  return true;
}
