#include "engine/curve_file.h"

#include "engine/curve_import.h"
#include "engine/curve_tables.h"
#include "engine/knot_curves.h"
#include "engine/knot_fit.h"

namespace {

constexpr uint16_t kWrittenVersion = 1;
constexpr uint16_t kLaterVersion = 4;
constexpr uint16_t kMaxValue = 255;
// How far a curve saved through fitted knots may stray before another knot is spent on it: the
// smallest difference the file's whole levels can promise.
constexpr int32_t kSavedTolerance = 1;

class WordReader {
 public:
  WordReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  bool Next(uint16_t& word) {
    if (size_ - position_ < 2) return false;
    word = static_cast<uint16_t>((bytes_[position_] << 8) | bytes_[position_ + 1]);
    position_ += 2;
    return true;
  }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t position_ = 0;
};

bool RefuseTooMany(Reason::Lower name, uint16_t count, int32_t slotCount,
                   char (&reason)[kCurveFileReasonLength]) {
  Reason(reason) << "The " << name << " curve has " << uint32_t{count} << " points; at most "
                 << static_cast<uint32_t>(slotCount) << " fit.";
  return false;
}

// Reads one curve's points into its slots, writing every slot; a refusal names the curve.
bool ReadCurve(WordReader& reader, int curve, ControlPoint* slots,
               char (&reason)[kCurveFileReasonLength]) {
  const Reason::Lower name{kCurveNames[curve]};
  const int32_t slotCount = CurveSlotCount(curve);
  uint16_t count = 0;
  if (!reader.Next(count)) {
    Reason(reason) << "The file ends before the " << name << " curve.";
    return false;
  }
  if (count < 2) {
    Reason(reason) << "The " << name << " curve has " << uint32_t{count}
                   << (count == 1 ? " point" : " points") << "; a curve needs at least 2.";
    return false;
  }
  // Two more than the slots can still fit when they are the default ends.
  if (count > slotCount + 2) return RefuseTooMany(name, count, slotCount, reason);
  ControlPoint points[kSlotCount + 2];
  for (int32_t i = 0; i < count; ++i) {
    uint16_t output = 0, input = 0;
    if (!reader.Next(output) || !reader.Next(input)) {
      Reason(reason) << "The file ends inside the " << name << " curve.";
      return false;
    }
    if (output > kMaxValue || input > kMaxValue) {
      Reason(reason) << "The " << name << " curve has the value "
                     << uint32_t{output > kMaxValue ? output : input}
                     << "; values run from 0 to 255.";
      return false;
    }
    if (i > 0 && input < points[i - 1].x) {
      Reason(reason) << "The " << name << " curve goes backwards: point "
                     << static_cast<uint32_t>(i + 1) << " has input " << uint32_t{input}
                     << " after " << static_cast<uint32_t>(points[i - 1].x) << ".";
      return false;
    }
    points[i] = ControlPoint{input, output};
  }

  int32_t first = 0, end = count;
  if (end - first > slotCount && points[0].x == 0 && points[0].y == 0) ++first;
  // The last point wins over others at x = 255, so it can go only when it is the only one there.
  if (end - first > slotCount && points[end - 1].x == 255 && points[end - 1].y == 255 &&
      points[end - 2].x < 255) {
    --end;
  }
  if (end - first > slotCount) return RefuseTooMany(name, count, slotCount, reason);

  EmptySlots(slots, slotCount);
  const bool identity =
      count == 2 && points[0].x == 0 && points[0].y == 0 && points[1].x == 255 &&
      points[1].y == 255;
  if (identity) return true;
  for (int32_t i = first; i < end; ++i) slots[i - first] = points[i];
  return true;
}

class WordWriter {
 public:
  explicit WordWriter(uint8_t* bytes) : bytes_(bytes) {}
  void Put(int32_t word) {
    bytes_[length_++] = static_cast<uint8_t>((word >> 8) & 0xFF);
    bytes_[length_++] = static_cast<uint8_t>(word & 0xFF);
  }
  int32_t length() const { return length_; }

 private:
  uint8_t* bytes_;
  int32_t length_ = 0;
};

// The knots a curve is saved as, given its table.
Knots SavedKnots(const CurveData& data, int curve, const int32_t (&table)[kLutSize]) {
  Knots knots;
  if (KindOf(data, curve) == kKindMonotone) {
    CollectKnots(CurvePoints(data, curve), CurveSlotCount(curve), knots);
    return knots;
  }
  // The reader takes two points more than the slots when they are the default ends.
  const int32_t limit = CurveSlotCount(curve) + (table[0] == 0 ? 1 : 0) +
                        (table[kLutSize - 1] == 255 ? 1 : 0);
  return KnotsFittedToTable(table, kKindMonotone, limit, kSavedTolerance).knots;
}

}  // namespace

bool ReadCurveFile(const uint8_t* bytes, size_t size, CurveData& data,
                   char (&reason)[kCurveFileReasonLength]) {
  reason[0] = '\0';
  WordReader reader(bytes, bytes != nullptr ? size : 0);
  uint16_t version = 0, curveCount = 0;
  if (!reader.Next(version) || !reader.Next(curveCount)) {
    Reason(reason) << "The file is too short to be a curves file.";
    return false;
  }
  if (version != kWrittenVersion && version != kLaterVersion) {
    Reason(reason) << "The file is of version " << uint32_t{version}
                   << "; only versions 1 and 4 can be read.";
    return false;
  }
  if (curveCount == 0) {
    Reason(reason) << "The file holds no curves.";
    return false;
  }

  ImportedCurves imported;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    ControlPoint* const slots = imported.Points(curve);
    imported.kind[curve] = kKindSmooth;
    if (curve >= curveCount) {
      EmptySlots(slots, CurveSlotCount(curve));
      continue;
    }
    if (!ReadCurve(reader, curve, slots, reason)) return false;
    if (IsValidPoint(slots[0])) imported.kind[curve] = kKindMonotone;
  }

  // The file's composite curve maps red, green and blue.
  FinishImport(imported, data);
  return true;
}

int32_t WriteCurveFile(const CurveData& data, uint8_t (&bytes)[kMaxCurveFileBytes],
                       int32_t& largestDifference) {
  int32_t tables[kCurveCount][kLutSize];
  WordWriter writer(bytes);
  writer.Put(kWrittenVersion);
  writer.Put(kCurveCount);
  for (int curve = 0; curve < kCurveCount; ++curve) {
    BuildCurveTable(KindOf(data, curve), CurvePoints(data, curve), CurveSlotCount(curve),
                    tables[curve]);
    const Knots knots = SavedKnots(data, curve, tables[curve]);
    writer.Put(knots.count);
    for (int32_t k = 0; k < knots.count; ++k) {
      writer.Put(knots.y[k]);
      writer.Put(knots.x[k]);
    }
  }

  // Measured on the file itself, so the figure is what loading it gives, whatever the reader
  // does with the points.
  CurveData reloaded;
  InitCurveData(reloaded);
  char reason[kCurveFileReasonLength];
  largestDifference = 255;
  if (!ReadCurveFile(bytes, static_cast<size_t>(writer.length()), reloaded, reason)) {
    return writer.length();
  }
  largestDifference = 0;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const int32_t* loaded = CurveLut(reloaded, curve);
    for (int i = 0; i < kLutSize; ++i) {
      const int32_t d = loaded[i] > tables[curve][i] ? loaded[i] - tables[curve][i]
                                                     : tables[curve][i] - loaded[i];
      if (d > largestDifference) largestDifference = d;
    }
  }
  return writer.length();
}
