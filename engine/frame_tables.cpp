#include "engine/frame_tables.h"

#include <cstdlib>
#include <cstring>


struct DeepState {
  DeepTables tables;
  // What the tables were built from: everything SampleCurve and the composition read.
  ControlPoint masterPoints[kSlotCount];
  ControlPoint channelPoints[kChannelCurveCount][kChannelSlots];
  CurveKind kind[kCurveCount];
  ChannelMode mode;
  MasterTarget target;
  bool rgb;
  bool built;
  SampleScale scale;
};

struct PairState {
  LumaPairs pairs;
  uint8_t builtFrom[kLutSize];
  bool built;
};

namespace {

bool SameTables(const CurveData& data, const FrameTables& t) {
  if (!t.built || t.builtMode != data.mode || t.builtTarget != data.target) return false;
  for (int curve = 0; curve < kCurveCount; ++curve)
    if (std::memcmp(t.builtFrom[curve], CurveLut(data, curve), sizeof t.builtFrom[curve]) != 0)
      return false;
  return true;
}

bool SameDeepSettings(const CurveData& data, bool rgb, const SampleScale& scale,
                      const DeepState& d) {
  if (!d.built || d.rgb != rgb || d.mode != data.mode || d.target != data.target ||
      d.scale.mask != scale.mask || d.scale.black != scale.black || d.scale.white != scale.white)
    return false;
  if (std::memcmp(d.kind, data.kind, sizeof d.kind) != 0) return false;
  if (std::memcmp(d.masterPoints, data.points, sizeof d.masterPoints) != 0) return false;
  for (int c = 0; c < kChannelCurveCount; ++c)
    if (std::memcmp(d.channelPoints[c], data.channel[c].points, sizeof d.channelPoints[c]) != 0)
      return false;
  return true;
}

// The state this record owns, allocated if it owns none, or null when the memory cannot be had.
// A pointer a byte copy carries is the original's: forgotten here, neither used nor freed.
template <typename State>
State* OwnedState(State*& state, const FrameTables*& owner, const FrameTables& tables) {
  if (owner != &tables) {
    state = nullptr;
    owner = nullptr;
  }
  if (state == nullptr) {
    state = static_cast<State*>(std::malloc(sizeof(State)));
    if (state == nullptr) return nullptr;
    owner = &tables;
    state->built = false;
  }
  return state;
}

template <typename State>
void ReleaseState(State*& state, const FrameTables*& owner, const FrameTables& tables) {
  if (state != nullptr && owner == &tables) std::free(state);
  state = nullptr;
  owner = nullptr;
}

}  // namespace

void InitFrameTables(FrameTables& tables) {
  tables.built = false;
  tables.format = 0;
  tables.deep = nullptr;
  tables.deepOwner = nullptr;
  tables.pairs = nullptr;
  tables.pairsOwner = nullptr;
}

void UpdateFrameTables(const CurveData& data, FrameTables& tables) {
  if (SameTables(data, tables)) return;
  for (int curve = 0; curve < kCurveCount; ++curve)
    std::memcpy(tables.builtFrom[curve], CurveLut(data, curve), sizeof tables.builtFrom[curve]);
  tables.builtMode = data.mode;
  tables.builtTarget = data.target;
  tables.effect = EffectOf(data);
  tables.plan = PlanFrame(data);
  BuildLumaLevels(data.lut, false, tables.lumaLevels[0]);
  BuildLumaLevels(data.lut, true, tables.lumaLevels[1]);
  tables.built = true;
}

const DeepTables* DeepTablesFor(const CurveData& data, bool rgb, const SampleScale& scale,
                                FrameTables& tables) {
  DeepState* const owned = OwnedState(tables.deep, tables.deepOwner, tables);
  if (owned == nullptr) return nullptr;
  DeepState& d = *owned;
  if (SameDeepSettings(data, rgb, scale, d)) return &d.tables;
  d.built = false;
  if (rgb) BuildRgbTables(data, scale, d.tables);
  else BuildLumaTable(data, scale, d.tables);
  std::memcpy(d.masterPoints, data.points, sizeof d.masterPoints);
  for (int c = 0; c < kChannelCurveCount; ++c)
    std::memcpy(d.channelPoints[c], data.channel[c].points, sizeof d.channelPoints[c]);
  std::memcpy(d.kind, data.kind, sizeof d.kind);
  d.mode = data.mode;
  d.target = data.target;
  d.rgb = rgb;
  d.scale = scale;
  d.built = true;
  return &d.tables;
}

const LumaPairs* LumaPairsFor(bool limitedRange, FrameTables& tables) {
  PairState* const owned = OwnedState(tables.pairs, tables.pairsOwner, tables);
  if (owned == nullptr) return nullptr;
  PairState& p = *owned;
  const uint8_t(&levels)[kLutSize] = tables.lumaLevels[limitedRange ? 1 : 0];
  if (!p.built || std::memcmp(p.builtFrom, levels, sizeof levels) != 0) {
    BuildLumaPairs(levels, p.pairs);
    std::memcpy(p.builtFrom, levels, sizeof levels);
    p.built = true;
  }
  return &p.pairs;
}

void ReleaseDeepTables(FrameTables& tables) {
  ReleaseState(tables.deep, tables.deepOwner, tables);
  ReleaseState(tables.pairs, tables.pairsOwner, tables);
}
