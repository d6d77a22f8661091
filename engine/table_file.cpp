#include "engine/table_file.h"

#include "engine/curve_tables.h"

namespace {

// The curves a file of each size holds, in the order it holds them.
constexpr int kMasterOnly[] = {kCurveMaster};
constexpr int kChannelsOnly[] = {kCurveRed, kCurveGreen, kCurveBlue};
constexpr int kAllCurves[] = {kCurveMaster, kCurveRed, kCurveGreen, kCurveBlue};

}  // namespace

bool TableFileIsExact(const CurveData& data) { return TargetOf(data) == kTargetChannels; }

void WriteTableFile(const CurveData& data, uint8_t (&bytes)[kTableFileBytes]) {
  // Under a luma target these are the channel curves alone, and the master follows on all three.
  uint8_t levels[3][kLutSize];
  ComposeChannelTables(data, levels);
  const bool luma = !TableFileIsExact(data);
  for (int i = 0; i < kChannelCurveCount; ++i) {
    const uint8_t* const level = levels[PixelByteOfCurve(kCurveRed + i)];
    for (int v = 0; v < kLutSize; ++v) {
      bytes[i * kTableBytes + v] = luma ? static_cast<uint8_t>(data.lut[level[v]]) : level[v];
    }
  }
}

bool ReadTableFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                   char (&reason)[kReasonLength]) {
  reason[0] = '\0';
  const int* curves = nullptr;
  int count = 0;
  if (bytes != nullptr && size == kTableBytes) curves = kMasterOnly, count = 1;
  if (bytes != nullptr && size == kTableFileBytes) curves = kChannelsOnly, count = 3;
  if (bytes != nullptr && size == kMaxTableFileBytes) curves = kAllCurves, count = 4;
  if (curves == nullptr) {
    Reason(reason) << "The file is " << static_cast<int64_t>(bytes != nullptr ? size : 0)
                   << " bytes long; a table file holds 256, 768 or 1024 bytes.";
    return false;
  }
  ImportedCurves imported;
  StartImport(imported);
  TableFit found{0, kEmpty};
  for (int i = 0; i < count; ++i) {
    int32_t table[kLutSize];
    for (int v = 0; v < kLutSize; ++v) table[v] = bytes[i * kTableBytes + v];
    ImportTable(imported, curves[i], table, found);
  }
  FinishImport(imported, data);
  fit = found;
  return true;
}
