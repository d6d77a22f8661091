// filterhost as a user runs it: thousands of settings saved and reloaded through the real module,
// raw frames through stdin and stdout, and one clear message for every kind of failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/curve_data.h"
#include "engine/spline.h"
#include "tests/support/expected_pixel.h"
#include "tests/win/module_test_support.h"
#include "tools/filterhost/picture_io.h"

namespace {

const std::string kFilterhost = TONARC_FILTERHOST_PATH;

ProgramResult Filterhost(std::vector<std::string> arguments,
                         const std::string& stdinPath = std::string()) {
  arguments.insert(arguments.begin(), kFilterhost);
  return RunProgram(arguments, stdinPath);
}

std::string Hex(int32_t value, bool upper) {
  static const char kLower[] = "0123456789abcdef", kUpper[] = "0123456789ABCDEF";
  const char* const digits = upper ? kUpper : kLower;
  return {digits[(value >> 4) & 0xF], digits[value & 0xF]};
}

// A setting as a script line may carry it (mixed case, groups that hold no point, a short last
// group; one curve, or four with their kinds and perhaps a target) and what saving it must give
// back.
struct Setting {
  std::string line;
  std::string saved;
  ChannelMode mode;
  std::vector<ControlPoint> points[kCurveCount];  // packed, in order, by CurveIndex
  CurveKind kinds[kCurveCount];
  MasterTarget target;
};

// A point text of up to maxGroups groups; the points it stands for are appended to points.
std::string RandomPointText(std::mt19937& random, int32_t maxGroups,
                            std::vector<ControlPoint>& points) {
  static const char* const kGaps[] = {"zzzz", "-1-1", " 0 0", "g0g0", "12zz", "    "};
  const auto below = [&](uint32_t n) { return static_cast<int32_t>(random() % n); };
  std::string text;
  const int32_t groups = below(5) == 0 ? maxGroups : below(maxGroups + 1);
  const int32_t gapChance = below(4);  // some settings have no gaps at all
  for (int32_t g = 0; g < groups; ++g) {
    if (gapChance > 0 && below(8) < gapChance) {
      text += kGaps[below(6)];
      continue;
    }
    const ControlPoint p{below(256), below(256)};
    text += Hex(p.x, below(2) == 0) + Hex(p.y, below(2) == 0);
    points.push_back(p);
  }
  if (groups < maxGroups && below(8) == 0) {
    // A lone x repeats as y; an x with one digit of y takes that digit.
    const int32_t x = below(256), y = below(16);
    if (below(2) == 0) {
      text += Hex(x, false);
      points.push_back(ControlPoint{x, x});
    } else {
      text += Hex(x, false) + Hex(y, false).substr(1);
      points.push_back(ControlPoint{x, y});
    }
  }
  return text;
}

std::string SavedPoints(const std::vector<ControlPoint>& points) {
  std::string text;
  for (const ControlPoint& p : points) text += Hex(p.x, false) + Hex(p.y, false);
  return text;
}

Setting RandomSetting(std::mt19937& random) {
  const auto below = [&](uint32_t n) { return static_cast<int32_t>(random() % n); };
  int32_t modeArgument;
  switch (below(10)) {
    case 0: modeArgument = below(252) + 4; break;
    case 1: modeArgument = below(100000) + 256; break;
    case 2: modeArgument = -below(100000) - 1; break;
    default: modeArgument = below(4); break;
  }
  Setting s;
  s.mode = static_cast<ChannelMode>(static_cast<uint32_t>(modeArgument) & 0xFF);
  std::fill(std::begin(s.kinds), std::end(s.kinds), kKindSmooth);
  s.target = kTargetChannels;
  const std::string master = RandomPointText(random, kSlotCount, s.points[kCurveMaster]);
  const std::string mode = std::to_string(s.mode);
  if (below(2) == 0) {
    s.line = "Config(" + std::to_string(modeArgument) + ",\"" + master + "\")";
    s.saved = "Config(" + mode + ",\"" + SavedPoints(s.points[kCurveMaster]) + "\")";
    return s;
  }
  // The four-curve form, a third of the time with a target argument (one that names no luma
  // target reads as the channels); channel curves often empty, kinds often all smooth (or read as
  // smooth), so that it is often saved in the one-curve form.
  std::string texts[kCurveCount] = {master};
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    if (below(2) == 0) texts[curve] = RandomPointText(random, kChannelSlots, s.points[curve]);
  }
  const int32_t kinds = below(3) == 0 ? 0 : below(3) == 0 ? 0xFF : below(1 << 12);
  const bool withTarget = below(3) == 0;
  static const int32_t kTargetArguments[] = {1, 2, 1, 2, 0, 3, -1, 258};
  const int32_t targetArgument = kTargetArguments[below(8)];
  if (withTarget && (targetArgument == 1 || targetArgument == 2))
    s.target = static_cast<MasterTarget>(targetArgument);
  bool fourCurves = s.target != kTargetChannels;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const int32_t field = (kinds >> (2 * curve)) & 3;
    s.kinds[curve] = static_cast<CurveKind>(field == 3 ? 0 : field);
    fourCurves = fourCurves || s.kinds[curve] != kKindSmooth ||
                 (curve != kCurveMaster && !s.points[curve].empty());
  }
  s.line = "Config(" + std::to_string(modeArgument) + ",\"" + texts[0] + "\",\"" + texts[1] +
           "\",\"" + texts[2] + "\",\"" + texts[3] + "\"," + std::to_string(kinds) +
           (withTarget ? "," + std::to_string(targetArgument) : "") + ")";
  s.saved = "Config(" + mode + ",\"" + SavedPoints(s.points[kCurveMaster]);
  if (fourCurves) {
    int32_t packed = 0;
    for (int curve = 0; curve < kCurveCount; ++curve) {
      s.saved += curve == 0 ? "" : "\",\"" + SavedPoints(s.points[curve]);
      packed |= s.kinds[curve] << (2 * curve);
    }
    s.saved += "\"," + std::to_string(packed);
    if (s.target != kTargetChannels) s.saved += "," + std::to_string(s.target);
    s.saved += ")";
  } else {
    s.saved += "\")";
  }
  return s;
}

// The values after "job N: <key>: " in filterhost's output, in job order.
std::vector<std::string> JobValues(const std::string& output, const std::string& key) {
  std::vector<std::string> values;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t at = line.find(": " + key + ": ");
    if (line.compare(0, 4, "job ") == 0 && at != std::string::npos) {
      values.push_back(line.substr(at + key.size() + 4));
    }
  }
  return values;
}

std::string JobPicture(const std::string& stem, size_t job) {
  char name[64];
  std::snprintf(name, sizeof name, "%s%04u.png", stem.c_str(), static_cast<unsigned>(job + 1));
  return name;
}

// Save and reload through the host: the first run takes the random settings and saves them,
// the second takes the saved lines. Both must save the same text (same mode, same points packed
// in order, the one-curve form for every setting it can hold, the target only where it is luma)
// and produce the same pictures, which must be the input mapped through the tables those points
// and kinds give, on the target given.
TEST(FilterhostRoundTrip, ThousandsOfSeededSettings) {
  constexpr int kSettings = 2000;
  CreateDirectoryA("roundtrip", nullptr);
  std::mt19937 random(0x70a7c);
  std::vector<Setting> settings;
  std::string firstJobs, secondJobs;
  for (int i = 0; i < kSettings; ++i) {
    settings.push_back(RandomSetting(random));
    firstJobs += settings.back().line + "\n";
    secondJobs += settings.back().saved + "\n";
  }
  WriteWholeFile("roundtrip/first.txt", firstJobs);
  WriteWholeFile("roundtrip/second.txt", secondJobs);
  Picture input;
  input.width = kLevelFrameWidth;
  input.height = kLevelFrameHeight;
  input.pixels = FrameOfEveryLevel(0);
  std::string error;
  ASSERT_TRUE(WriteBmp("roundtrip/input.bmp", input, error)) << error;

  const ProgramResult first = Filterhost({ModulePath(), "--jobs", "roundtrip/first.txt", "--in",
                                          "roundtrip/input.bmp", "--out", "roundtrip/a%04d.png"});
  ASSERT_EQ(first.status, 0) << first.err;
  const ProgramResult second = Filterhost({ModulePath(), "--jobs", "roundtrip/second.txt", "--in",
                                           "roundtrip/input.bmp", "--out", "roundtrip/b%04d.png"});
  ASSERT_EQ(second.status, 0) << second.err;

  const std::vector<std::string> firstSaved = JobValues(first.out, "script");
  const std::vector<std::string> secondSaved = JobValues(second.out, "script");
  ASSERT_EQ(firstSaved.size(), settings.size());
  ASSERT_EQ(secondSaved.size(), settings.size());
  for (size_t i = 0; i < settings.size(); ++i) {
    const Setting& s = settings[i];
    ASSERT_EQ(firstSaved[i], s.saved) << "job " << i + 1 << ": " << s.line;
    ASSERT_EQ(secondSaved[i], s.saved) << "job " << i + 1;

    CurveData expected;
    std::memset(&expected, 0, sizeof expected);
    InitCurveData(expected);
    expected.mode = s.mode;
    expected.target = s.target;
    for (int curve = 0; curve < kCurveCount; ++curve) {
      for (size_t k = 0; k < s.points[curve].size(); ++k) {
        CurvePoints(expected, curve)[k] = s.points[curve][k];
      }
      expected.kind[curve] = s.kinds[curve];
    }
    RebuildAllCurves(expected);

    Picture a, b;
    ASSERT_TRUE(ReadPicture(JobPicture("roundtrip/a", i), a, error)) << error;
    ASSERT_TRUE(ReadPicture(JobPicture("roundtrip/b", i), b, error)) << error;
    ASSERT_EQ(a.pixels, b.pixels) << "job " << i + 1 << ": " << s.line;
    ASSERT_EQ(a.pixels.size(), input.pixels.size());
    for (size_t p = 0; p < input.pixels.size(); ++p) {
      ASSERT_EQ(a.pixels[p], ExpectedPixel(expected, input.pixels[p]))
          << "job " << i + 1 << " pixel " << p << ": " << s.line;
    }
  }
}

std::string RawFrames(const std::vector<uint32_t>& frame, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes.append(reinterpret_cast<const char*>(frame.data()), frame.size() * 4);
  }
  return bytes;
}

TEST(FilterhostRawFrames, FramesFromStdinGoMappedToStdout) {
  const std::vector<uint32_t> frame = FrameOfEveryLevel(0x7F);
  WriteWholeFile("raw_in.bin", RawFrames(frame, 3));
  const ProgramResult run = Filterhost(
      {ModulePath(), "--raw", "256x4", "--script", "Config(3,\"40c0\")"}, "raw_in.bin");
  ASSERT_EQ(run.status, 0) << run.err;

  CurveData data;
  std::memset(&data, 0, sizeof data);
  InitCurveData(data);
  data.mode = kModeBlue;
  data.points[0] = ControlPoint{64, 192};
  RebuildLut(data);
  std::vector<uint32_t> mapped(frame.size());
  for (size_t i = 0; i < frame.size(); ++i) mapped[i] = ExpectedPixel(data, frame[i]);
  EXPECT_EQ(run.out, RawFrames(mapped, 3));
  // With frames on stdout, the filter's lines and the progress go to stderr.
  EXPECT_NE(run.err.find("script: Config(3,\"40c0\")"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("3 frames"), std::string::npos) << run.err;
}

TEST(FilterhostRawFrames, ShortLastFrameFailsAfterTheWholeOnes) {
  const std::vector<uint32_t> frame = FrameOfEveryLevel(0);
  WriteWholeFile("raw_short.bin", RawFrames(frame, 2) + std::string(1000, '\0'));
  const ProgramResult run = Filterhost({ModulePath(), "--raw", "256x4"}, "raw_short.bin");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("short frame on stdin: frame 3 has 1000 of 4096 bytes"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(run.out.size(), 2u * 4096u);  // identity curve: the whole frames went through
  EXPECT_EQ(run.out, RawFrames(frame, 2));
}

// A 24-bit BMP of nothing but its two headers, claiming a picture of this size.
std::string BmpHeadersOnly(int32_t width, int32_t height) {
  std::string bytes(54, '\0');
  const auto put = [&](size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, 54);   // file size
  put(10, 54);  // where the pixels would start
  put(14, 40);  // info header size
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  bytes[26] = 1;   // planes
  bytes[28] = 24;  // bits a pixel
  return bytes;
}

// Frames whose buffers cannot be had end the run before anything is loaded, decoded or written:
// one line on stderr, status 1, nothing on stdout and no picture. A 64-bit filterhost can
// address every frame size it takes, so the refusals by address space are 32-bit cases.
TEST(FilterhostFrameMemory, RefusedSizesEndTheRunBeforeAnythingIsWritten) {
  struct Refusal {
    std::vector<std::string> arguments;  // after the module
    std::string message;
  };
  WriteWholeFile("huge_header.bmp", BmpHeadersOnly(100000, 100000));
  WriteWholeFile("large_header.bmp", BmpHeadersOnly(20000, 20000));
  std::vector<Refusal> refusals = {
      {{"--in", "huge_header.bmp", "--out", "refused.png"},
       "cannot read picture huge_header.bmp: 100000x100000 is larger than this host takes"},
  };
  if (sizeof(void*) == 4) {
    refusals.push_back(
        {{"--raw", "20000x20000"},
         "frames of 20000x20000 need more memory than a 32-bit filterhost can address"});
    refusals.push_back(
        {{"--raw", "32768x32768"},
         "frames of 32768x32768 need more memory than a 32-bit filterhost can address"});
    refusals.push_back({{"--in", "large_header.bmp", "--out", "refused.png"},
                        "cannot read picture large_header.bmp: frames of 20000x20000 need more "
                        "memory than a 32-bit filterhost can address"});
  }
  for (const Refusal& r : refusals) {
    std::vector<std::string> arguments = r.arguments;
    arguments.insert(arguments.begin(), ModulePath());
    DeleteFileA("refused.png");
    const ProgramResult run = Filterhost(arguments);
    EXPECT_EQ(run.status, 1) << r.message;
    EXPECT_EQ(run.err, "filterhost: " + r.message + "\r\n");
    EXPECT_EQ(run.out, "") << r.message;
    EXPECT_EQ(GetFileAttributesA("refused.png"), INVALID_FILE_ATTRIBUTES) << r.message;
  }
}

// 14000x14000 frames pass the arithmetic on 32-bit (3.7 GB of buffers) but do not fit the 2 GB a
// 32-bit program that is not large-address-aware gets: the failed allocation ends the run with a
// message before the first frame.
TEST(FilterhostFrameMemory, FailedAllocationEndsTheRunWithAMessage) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "a 64-bit process may well get this memory";
  const ProgramResult run = Filterhost({ModulePath(), "--raw", "14000x14000"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  const std::string message = "filterhost: not enough memory for frames of 14000x14000\r\n";
  ASSERT_GE(run.err.size(), message.size()) << run.err;
  EXPECT_EQ(run.err.substr(run.err.size() - message.size()), message) << run.err;
}

TEST(FilterhostOutput, PrintsNameDescriptionAndScriptLine) {
  WriteWholeFile("settings.txt", "# a comment, then a blank line\n\nConfig(0,\"ffff\")\n"
                                 "Config(2, \"80C8\") ; Config(1, \"4020\")\n");
  const ProgramResult run = Filterhost({ModulePath(), "--script-file", "settings.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "filter: tonarc: Adjust Color Curve.\r\n"
            "description: (MODE = Red)\r\n"
            "script: Config(1,\"4020\")\r\n");
}

// A picture of 1,000 pixels: red runs through 20..230, green through every level (0..231 four
// times, 232..255 three times), blue through 40..140.
Picture KnownLevels() {
  Picture picture;
  picture.width = 100;
  picture.height = 10;
  for (uint32_t i = 0; i < 1000; ++i) {
    picture.pixels.push_back((20 + i % 211) << 16 | (i % 256) << 8 | (40 + i % 101));
  }
  return picture;
}

TEST(FilterhostAutoCurves, StretchesThePicturesLevelsIntoTheSettingsLine) {
  std::string error;
  ASSERT_TRUE(WritePng("known_levels.png", KnownLevels(), error)) << error;
  Picture flat;
  flat.width = flat.height = 10;
  flat.pixels.assign(100, 0x4D4D4D);
  ASSERT_TRUE(WritePng("flat.png", flat, error)) << error;
  const struct {
    const char* picture;
    const char* which;
    std::string out;
  } cases[] = {
      // 3,000 values: more than 3 lie at or below 0 (green's four) and at or above 254, not 255.
      {"known_levels.png", "contrast", "script: Config(0,\"0000feff\",\"\",\"\",\"\",2)\r\n"},
      // 1,000 values a channel: more than one at each end of each channel's range.
      {"known_levels.png", "colour",
       "script: Config(2,\"80c8\",\"1400e6ff\",\"0000ffff\",\"28008cff\",168)\r\n"},
      {"flat.png", "contrast",
       "auto contrast: Nearly every level in the frame is 77, so there is no range to stretch.\r\n"
       "description: (MODE = Green)\r\nscript: Config(2,\"80c8\")\r\n"},
  };
  for (const auto& c : cases) {
    const ProgramResult run = Filterhost({ModulePath(), "--script", "Config(2,\"80c8\")", "--in",
                                          c.picture, "--auto", c.which});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_GE(run.out.size(), c.out.size()) << run.out;
    EXPECT_EQ(run.out.substr(run.out.size() - c.out.size()), c.out) << c.which;
  }
}

// Each failure: the exit status, and the one line of stderr that says what went wrong.
struct FailureCase {
  std::vector<std::string> arguments;  // after filterhost; "MODULE" stands for tonarc.vdf
  int status;
  std::string message;
};

TEST(FilterhostFailures, OneClearMessageAndANonZeroStatus) {
  WriteWholeFile("not_a_picture.png", "hello");
  WriteWholeFile("not_a_module.vdf", "hello");
  WriteWholeFile("empty_jobs.txt", "# nothing\n");
  WriteWholeFile("two_jobs.txt", "Config(0,\"\")\nConfig(1,\"\")\n");
  const std::vector<FailureCase> cases = {
      {{}, 2, "no module given"},
      {{"MODULE", "--bogus"}, 2, "unknown option --bogus"},
      {{"MODULE", "--raw", "0x5"}, 2, "--raw needs a frame size"},
      {{"MODULE", "--sample"}, 2, "a picture needs --out"},
      {{"MODULE", "--jobs", "two_jobs.txt", "--sample", "--out", "x.png"}, 2,
       "--out needs %d for the job number"},
      {{"missing.vdf"}, 1, "cannot open module missing.vdf: no such file"},
      {{"not_a_module.vdf"}, 1, "cannot load module not_a_module.vdf"},
      {{TONARC_FAKE_NO_DEINIT_PATH}, 1,
       "is not a filter module: it does not export VirtualdubFilterModuleDeinit"},
      {{TONARC_FAKE_REFUSE_PATH}, 1, "registration failed"},
      {{TONARC_FAKE_NO_FILTER_PATH}, 1, "registered no filter"},
      {{"MODULE", "--script", "Levels(1)"}, 1,
       "unknown script function Levels; the filter offers Config(int, string), "
       "Config(int, string, string, string, string, int), "
       "Config(int, string, string, string, string, int, int)"},
      {{"MODULE", "--script", "Config(1)"}, 1,
       "Config takes (int, string) or (int, string, string, string, string, int) or "
       "(int, string, string, string, string, int, int) but was given (int)"},
      {{"MODULE", "--script", "Config(\"1\",\"80c8\")"}, 1,
       "Config takes (int, string) or (int, string, string, string, string, int) or "
       "(int, string, string, string, string, int, int) but was given (string, string)"},
      {{"MODULE", "--script", "Config(4294967296,\"\")"}, 1,
       "but was given (64-bit int, string)"},
      {{"MODULE", "--script", "Config(0,\"80c8\""}, 1, "malformed script line"},
      {{"MODULE", "--script", "Config(0,\"80c8)"}, 1, "a string has no closing quote"},
      {{"MODULE", "--script", "Config(0,80c8)"}, 1, "malformed script line"},
      {{"MODULE", "--script", "Config(0,\"\") Config(1,\"\")"}, 1,
       "calls must be separated by ';'"},
      {{"MODULE", "--in", "missing.png", "--out", "x.png"}, 1,
       "cannot read picture missing.png: cannot open the file"},
      {{"MODULE", "--in", "not_a_picture.png", "--out", "x.png"}, 1,
       "cannot read picture not_a_picture.png: not a PNG or BMP picture"},
      {{"MODULE", "--jobs", "empty_jobs.txt"}, 1, "empty_jobs.txt holds no job"},
      {{"MODULE", "--script-file", "missing.txt"}, 1, "cannot open missing.txt"},
      {{"MODULE", "--auto", "levels"}, 2, "--auto needs contrast or colour"},
      {{"MODULE", "--auto", "colour"}, 2, "--auto needs --in or --sample"},
      {{"MODULE", "--jobs", "two_jobs.txt", "--export-cube", "x.cube"}, 2,
       "--export-cube needs %d for the job number"},
      {{"MODULE", "--export-cube", "no_such_folder/x.cube"}, 1,
       "cannot create no_such_folder/x.cube"},
  };
  for (const FailureCase& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    for (std::string& a : arguments) {
      if (a == "MODULE") a = ModulePath();
    }
    const ProgramResult run = Filterhost(arguments);
    std::string described;
    for (const std::string& a : c.arguments) described += " " + a;
    EXPECT_EQ(run.status, c.status) << described << "\n" << run.err;
    EXPECT_EQ(run.err.compare(0, 12, "filterhost: "), 0) << described << "\n" << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << described << "\n" << run.err;
    // One line: the message ends the output.
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << described << "\n" << run.err;
  }
}

}  // namespace
