// The Windows side of the LUT test (lut_ffmpeg_test.cmake), which runs filterhost and ffmpeg on
// the same frames and settings. Two commands:
//
//   lut_ffmpeg_cases make FOLDER
//     writes the frames (levels.raw: every level of every channel, 256 x 4; colours.raw: every
//     colour, 256 frames of 256 x 256) and cases.txt, one case a line: its kind ("1d" for a
//     target of the channels, "3d-..." for a luma target), a tab and its settings line. The
//     settings are random curves, kinds and modes, and for the 3D table also a plain contrast
//     curve on luma, as a grade would use it.
//   lut_ffmpeg_cases compare FOLDER
//     compares each case's N.filterhost.raw with N.ffmpeg.raw byte for byte. A 1D table must
//     give every byte exactly; for a 3D table it prints the largest difference. Exit status 1
//     when a 1D case differs or a file is missing.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/presets.h"
#include "host/config_script.h"
#include "tests/support/random_settings.h"
#include "tests/win/module_test_support.h"

namespace {

constexpr int kOneDimensionalCases = 12;

bool WriteFrames(const std::string& folder) {
  const std::vector<uint32_t> levels = FrameOfEveryLevel(0);
  std::ofstream levelFile(folder + "/levels.raw", std::ios::binary | std::ios::trunc);
  levelFile.write(reinterpret_cast<const char*>(levels.data()),
                  static_cast<std::streamsize>(levels.size() * 4));
  std::ofstream colourFile(folder + "/colours.raw", std::ios::binary | std::ios::trunc);
  std::vector<uint32_t> frame(256 * 256);
  for (uint32_t blue = 0; blue < 256; ++blue) {
    for (uint32_t i = 0; i < frame.size(); ++i) frame[i] = i << 8 | blue;
    colourFile.write(reinterpret_cast<const char*>(frame.data()),
                     static_cast<std::streamsize>(frame.size() * 4));
  }
  return levelFile.good() && colourFile.good();
}

int Make(const std::string& folder) {
  if (!WriteFrames(folder)) {
    std::fprintf(stderr, "cannot write the frames into %s\n", folder.c_str());
    return 1;
  }
  std::mt19937 random(1616);
  std::ofstream cases(folder + "/cases.txt", std::ios::trunc);
  const auto add = [&](const char* kind, MasterTarget target, const char* preset = nullptr) {
    CurveData data = RandomSettings(random);
    for (int i = 0; preset != nullptr && i < kPresetCount; ++i) {
      if (std::strcmp(kPresetNames[i], preset) == 0) ApplyPreset(data, i);
    }
    data.target = target;
    char line[kMaxConfigScriptLength + 1];
    WriteConfigScript(data, line, sizeof line);
    cases << kind << '\t' << line << '\n';
  };
  for (int i = 0; i < kOneDimensionalCases; ++i) add("1d", kTargetChannels);
  add("3d-709-random", kTargetLuma709);
  add("3d-601-random", kTargetLuma601);
  add("3d-709-strong-contrast", kTargetLuma709, "Strong contrast");
  add("3d-601-strong-contrast", kTargetLuma601, "Strong contrast");
  return cases.good() ? 0 : 1;
}

int Compare(const std::string& folder) {
  std::ifstream cases(folder + "/cases.txt");
  int failures = 0, number = 0;
  for (std::string line; std::getline(cases, line);) {
    ++number;
    const std::string kind = line.substr(0, line.find('\t'));
    const std::string stem = folder + "/" + std::to_string(number);
    const std::string ours = ReadWholeFile(stem + ".filterhost.raw");
    const std::string theirs = ReadWholeFile(stem + ".ffmpeg.raw");
    if (ours.empty() || ours.size() != theirs.size()) {
      std::printf("case %d (%s): the outputs are %zu and %zu bytes long\n", number, kind.c_str(),
                  ours.size(), theirs.size());
      ++failures;
      continue;
    }
    int largest = 0;
    size_t differing = 0;
    for (size_t i = 0; i < ours.size(); ++i) {
      const int off = std::abs(static_cast<uint8_t>(ours[i]) - static_cast<uint8_t>(theirs[i]));
      if (off > largest) largest = off;
      differing += off != 0;
    }
    std::printf("case %d (%s): largest difference %d level%s, %zu of %zu bytes differ\n", number,
                kind.c_str(), largest, largest == 1 ? "" : "s", differing, ours.size());
    if (kind == "1d" && largest != 0) {
      std::printf("  settings: %s\n", line.substr(line.find('\t') + 1).c_str());
      ++failures;
    }
  }
  if (number == 0) std::printf("no cases in %s/cases.txt\n", folder.c_str());
  return failures == 0 && number > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 3 ? argv[1] : "";
  if (command == "make") return Make(argv[2]);
  if (command == "compare") return Compare(argv[2]);
  std::fprintf(stderr, "usage: lut_ffmpeg_cases make|compare FOLDER\n");
  return 2;
}
