// Any text the host's script may hand to Config, in any of its three forms. The first four bytes
// of an input are the mode argument and the rest up to the first zero byte the master's point
// text. When anything follows that zero byte, the call is the four-curve form: four bytes of
// kinds, then the red, green and blue texts, separated by zero bytes; when anything follows the
// blue text, the form with the target, whose argument is the next four bytes. Every text sits in
// a heap block of exactly its size, so a read past its terminator is caught.
//
// After reading, every slot of every curve must be a point in the curve square or empty, nothing
// past the curves may change, and saving and reading the result again must give the same mode,
// points packed in order, kinds, target, tables and text, in the form the settings need.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/curve_data.h"
#include "host/config_script.h"
#include "fuzz/fuzz_checks.h"

namespace {

// Takes the next zero-terminated piece of the input into a block of its own size.
std::unique_ptr<char[]> TakeText(const uint8_t*& data, size_t& size) {
  const size_t length = strnlen(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<char[]> text(new char[length + 1]);
  std::memcpy(text.get(), data, length);
  text[length] = '\0';
  const size_t used = length < size ? length + 1 : length;
  data += used;
  size -= used;
  return text;
}

int32_t TakeInt(const uint8_t*& data, size_t& size) {
  int32_t value = 0;
  if (size >= sizeof value) {
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    size -= sizeof value;
  }
  return value;
}

// Splits a saved call into its mode, point texts, kinds and target (0 where the form has none).
void SplitSaved(const char* saved, int32_t& mode, std::vector<std::string>& texts,
                int32_t& kinds, int32_t& target) {
  static constexpr char kStart[] = "Config(";
  Require(std::strncmp(saved, kStart, sizeof kStart - 1) == 0);
  const char* p = saved + sizeof kStart - 1;
  mode = 0;
  Require(*p >= '0' && *p <= '9');
  while (*p >= '0' && *p <= '9') mode = mode * 10 + (*p++ - '0');
  texts.clear();
  while (p[0] == ',' && p[1] == '"') {
    const char* const end = std::strchr(p + 2, '"');
    Require(end != nullptr);
    texts.emplace_back(p + 2, end);
    p = end + 1;
  }
  kinds = 0;
  target = 0;
  if (texts.size() == 4) {
    Require(*p++ == ',');
    Require(*p >= '0' && *p <= '9');
    while (*p >= '0' && *p <= '9') kinds = kinds * 10 + (*p++ - '0');
    if (*p == ',') {
      ++p;
      Require(*p == '1' || *p == '2');
      target = *p++ - '0';
    }
  } else {
    Require(texts.size() == 1);
  }
  Require(std::strcmp(p, ")") == 0);
}

void RequireWellFormed(const CurveData& curve) {
  for (int c = 0; c < kCurveCount; ++c) {
    const ControlPoint* points = CurvePoints(curve, c);
    for (int32_t i = 0; i < CurveSlotCount(c); ++i) {
      const ControlPoint& p = points[i];
      Require((p.x == -1 && p.y == -1) || (InSquare(p.x) && InSquare(p.y)));
    }
    Require(curve.kind[c] < kKindCount);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int32_t modeArgument = TakeInt(data, size);
  std::unique_ptr<char[]> texts[kCurveCount];
  texts[0] = TakeText(data, size);
  const bool fourCurves = size > 0;
  int32_t kinds = 0;
  bool withTarget = false;
  int32_t targetArgument = kTargetChannels;
  if (fourCurves) {
    kinds = TakeInt(data, size);
    for (int c = 1; c < kCurveCount; ++c) texts[c] = TakeText(data, size);
    withTarget = size > 0;
    targetArgument = TakeInt(data, size);
  }

  // Whatever the block held before, the reader must leave no half-written slot behind.
  CurveData curve;
  std::memset(&curve, 0xA5, sizeof curve);
  if (fourCurves) {
    const char* const pointTexts[kCurveCount] = {texts[0].get(), texts[1].get(), texts[2].get(),
                                                 texts[3].get()};
    if (withTarget) {
      ApplyCurvesScript(curve, modeArgument, pointTexts, kinds, targetArgument);
    } else {
      ApplyCurvesScript(curve, modeArgument, pointTexts, kinds);
    }
  } else {
    ApplyConfigScript(curve, modeArgument, texts[0].get());
  }
  Require(curve.mode == (static_cast<uint32_t>(modeArgument) & 0xFF));
  const bool luma = withTarget && (targetArgument == kTargetLuma709 ||
                                   targetArgument == kTargetLuma601);
  Require(curve.target == (luma ? targetArgument : kTargetChannels));
  // Nothing lands beyond the slots: the snapshots that follow them keep their bytes.
  const unsigned char* after = reinterpret_cast<const unsigned char*>(curve.pointsSnapshot);
  for (size_t i = 0; i < sizeof curve.pointsSnapshot; ++i) Require(after[i] == 0xA5);
  after = reinterpret_cast<const unsigned char*>(curve.channelSnapshot);
  for (size_t i = 0; i < sizeof curve.channelSnapshot; ++i) Require(after[i] == 0xA5);
  RequireWellFormed(curve);

  char saved[kMaxConfigScriptLength + 1];
  Require(WriteConfigScript(curve, saved, sizeof saved));
  Require(std::strlen(saved) == static_cast<size_t>(ConfigScriptLength(curve)));
  int32_t savedMode = -1, savedKinds = -1, savedTarget = -1;
  std::vector<std::string> savedTexts;
  SplitSaved(saved, savedMode, savedTexts, savedKinds, savedTarget);
  // The target is written exactly when the master maps luma; the one-curve text for exactly the
  // settings it can hold: no channel point, every kind smooth, the master on the channels.
  bool beyondOneCurve = false;
  for (int c = 0; c < kCurveCount; ++c) {
    const ControlPoint* points = CurvePoints(curve, c);
    for (int32_t i = 0; c != kCurveMaster && i < CurveSlotCount(c); ++i) {
      beyondOneCurve = beyondOneCurve || points[i].x != -1;
    }
    beyondOneCurve = beyondOneCurve || (curve.kind[c] != kKindSmooth && curve.kind[c] != 3);
  }
  Require(savedTarget == curve.target);
  Require((savedTexts.size() == 4) == (beyondOneCurve || luma));

  CurveData reloaded;
  std::memset(&reloaded, 0x5A, sizeof reloaded);
  if (savedTexts.size() == 4) {
    const char* const pointTexts[kCurveCount] = {savedTexts[0].c_str(), savedTexts[1].c_str(),
                                                 savedTexts[2].c_str(), savedTexts[3].c_str()};
    ApplyCurvesScript(reloaded, savedMode, pointTexts, savedKinds, savedTarget);
  } else {
    ApplyConfigScript(reloaded, savedMode, savedTexts[0].c_str());
  }
  Require(reloaded.mode == curve.mode);
  Require(reloaded.target == curve.target);
  for (int c = 0; c < kCurveCount; ++c) {
    const ControlPoint* points = CurvePoints(curve, c);
    const ControlPoint* again = CurvePoints(reloaded, c);
    int slot = 0;
    for (int32_t i = 0; i < CurveSlotCount(c); ++i) {
      if (points[i].x == -1) continue;
      Require(again[slot].x == points[i].x && again[slot].y == points[i].y);
      ++slot;
    }
    for (; slot < CurveSlotCount(c); ++slot) Require(again[slot].x == -1 && again[slot].y == -1);
    Require(std::memcmp(CurveLut(reloaded, c), CurveLut(curve, c), 4 * kLutSize) == 0);
    Require(KindOf(reloaded, c) == KindOf(curve, c));
  }
  char again[kMaxConfigScriptLength + 1];
  Require(WriteConfigScript(reloaded, again, sizeof again));
  Require(std::strcmp(again, saved) == 0);
  return 0;
}
