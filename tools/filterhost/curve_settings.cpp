#include "tools/filterhost/curve_settings.h"

#include <cstdio>
#include <cstring>

#include "engine/auto_levels.h"
#include "engine/curve_data.h"
#include "engine/level_counts.h"
#include "engine/lut_cube.h"
#include "host/config_script.h"
#include "host/instance_block.h"

namespace {

// A copy of the instance's settings record, which leads its block; false when the instance is not
// tonarc's filter of this build (another filter, or a module whose block has another size).
bool SettingsOf(FilterInstance& instance, const char* option, CurveData& data, std::string& error) {
  const FilterDefinition* const filter = instance.filter();
  if (filter == nullptr || filter->name == nullptr || std::strcmp(filter->name, "tonarc") != 0 ||
      filter->inst_data_size != static_cast<int>(sizeof(InstanceBlock))) {
    error = std::string(option) + " works with tonarc's filter only";
    return false;
  }
  std::memcpy(&data, instance.block(), sizeof data);
  return true;
}

}  // namespace

bool ExportCube(FilterInstance& instance, const std::string& path, std::string& error) {
  CurveData data;
  if (!SettingsOf(instance, "--export-cube", data, error)) return false;
  std::string text(CubeFileLength(data), '\0');
  text.resize(WriteCubeFile(data, &text[0], text.size()));
  FILE* const file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + path;
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool ApplyAutoCurves(FilterInstance& instance, AutoCurves which, const Picture& picture,
                     std::string& note, std::string& error) {
  CurveData changed;
  if (!SettingsOf(instance, "--auto", changed, error)) return false;
  LevelCounts counts;
  CountFrameLevels(picture.pixels.data(), picture.width, picture.height,
                   static_cast<ptrdiff_t>(picture.width) * 4, counts);
  char reason[kReasonLength];
  const bool stretched = which == AutoCurves::kContrast ? AutoContrast(changed, counts, reason)
                                                        : AutoColour(changed, counts, reason);
  note.clear();
  if (!stretched) {
    note = reason;
    return true;
  }
  char line[kMaxConfigScriptLength + 1];
  if (!WriteConfigScript(changed, line, sizeof line)) {
    error = "the automatic curves give a settings line too long to run";
    return false;
  }
  return instance.RunScriptLine(line, error);
}
