// Any text the host's script may hand to Config: the first four bytes of an input are the mode
// argument, the rest up to the first zero byte the point text. The text sits in a heap block of
// exactly its size, so a read past its terminator is caught.
//
// After reading, every slot must be a point in the curve square or empty, and saving and reading
// the result again must give the same mode, the same points packed in order and the same table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/curve_data.h"
#include "host/config_script.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

bool InSquare(int32_t v) { return v >= 0 && v <= 255; }

// Splits "Config(<mode>,"<points>")": the mode's digits and where the point text starts and
// ends inside the saved text.
void SplitSaved(char* saved, int32_t& mode, char*& points) {
  static constexpr char kStart[] = "Config(";
  Require(std::strncmp(saved, kStart, sizeof kStart - 1) == 0);
  char* p = saved + sizeof kStart - 1;
  mode = 0;
  Require(*p >= '0' && *p <= '9');
  while (*p >= '0' && *p <= '9') mode = mode * 10 + (*p++ - '0');
  Require(p[0] == ',' && p[1] == '"');
  points = p + 2;
  char* const end = std::strchr(points, '"');
  Require(end != nullptr && std::strcmp(end, "\")") == 0);
  *end = '\0';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t modeArgument = 0;
  if (size >= sizeof modeArgument) {
    std::memcpy(&modeArgument, data, sizeof modeArgument);
    data += sizeof modeArgument;
    size -= sizeof modeArgument;
  }
  const size_t length = strnlen(reinterpret_cast<const char*>(data), size);
  std::unique_ptr<char[]> text(new char[length + 1]);
  std::memcpy(text.get(), data, length);
  text[length] = '\0';

  // Whatever the block held before, the reader must leave no half-written slot behind.
  CurveData curve;
  std::memset(&curve, 0xA5, sizeof curve);
  ApplyConfigScript(curve, modeArgument, text.get());
  Require(curve.mode == (static_cast<uint32_t>(modeArgument) & 0xFF));
  // Nothing lands beyond the 256 slots: the snapshots that follow them keep their bytes.
  const unsigned char* const after = reinterpret_cast<const unsigned char*>(curve.pointsSnapshot);
  for (size_t i = 0; i < sizeof curve.pointsSnapshot; ++i) Require(after[i] == 0xA5);
  int valid = 0;
  for (const ControlPoint& p : curve.points) {
    const bool empty = p.x == -1 && p.y == -1;
    Require(empty || (InSquare(p.x) && InSquare(p.y)));
    valid += empty ? 0 : 1;
  }

  char saved[kMaxConfigScriptLength + 1];
  Require(WriteConfigScript(curve, saved, sizeof saved));
  Require(std::strlen(saved) == static_cast<size_t>(ConfigScriptLength(curve)));
  int32_t savedMode = -1;
  char* savedPoints = nullptr;
  SplitSaved(saved, savedMode, savedPoints);
  Require(std::strlen(savedPoints) == static_cast<size_t>(4 * valid));

  CurveData reloaded;
  std::memset(&reloaded, 0x5A, sizeof reloaded);
  ApplyConfigScript(reloaded, savedMode, savedPoints);
  Require(reloaded.mode == curve.mode);
  int slot = 0;
  for (const ControlPoint& p : curve.points) {
    if (p.x == -1) continue;
    Require(reloaded.points[slot].x == p.x && reloaded.points[slot].y == p.y);
    ++slot;
  }
  for (; slot < kSlotCount; ++slot) {
    Require(reloaded.points[slot].x == -1 && reloaded.points[slot].y == -1);
  }
  Require(std::memcmp(reloaded.lut, curve.lut, sizeof curve.lut) == 0);
  return 0;
}
