// Frames of the newer hosts' formats through the real module, with filterhost as the host: which
// formats each kind of settings takes, what comes out of each, and an old host's frames as they
// always were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_samples.h"
#include "engine/curve_tables.h"
#include "engine/frame_map.h"
#include "engine/luma.h"
#include "host/config_script.h"
#include "tests/win/module_test_support.h"
#include "tools/filterhost/raw_formats.h"

namespace {

struct FrameRun {
  int status;
  std::vector<uint8_t> out;
  std::string err;
};

// filterhost on raw frames: the module, the settings line, the frame size and format options.
FrameRun Frames(const std::string& script, int32_t w, int32_t h, std::vector<std::string> options,
           const std::vector<uint8_t>& input) {
  static int runs = 0;
  const std::string in = "formats_in_" + std::to_string(++runs) + ".raw";
  WriteWholeFile(in, std::string(input.begin(), input.end()));
  std::vector<std::string> arguments = {TONARC_FILTERHOST_PATH, ModulePath(), "--script", script,
                                        "--raw", std::to_string(w) + "x" + std::to_string(h)};
  arguments.insert(arguments.end(), options.begin(), options.end());
  const ProgramResult r = RunProgram(arguments, in);
  DeleteFileA(in.c_str());
  return FrameRun{r.status, std::vector<uint8_t>(r.out.begin(), r.out.end()), r.err};
}

// Bytes of one raw frame of a format, as ffmpeg lays it out.
size_t RawBytes(const RawFormat& f, int32_t w, int32_t h) {
  const size_t sample = f.bits > 8 ? 2 : 1;
  const size_t cw = (w + (1 << f.chromaShiftX) - 1) >> f.chromaShiftX;
  const size_t ch = (h + (1 << f.chromaShiftY) - 1) >> f.chromaShiftY;
  switch (f.family) {
    case FormatFamily::kRgb24: return 3u * w * h;
    case FormatFamily::kXrgb32: return 4u * w * h;
    case FormatFamily::kXrgb64: return 8u * w * h;
    case FormatFamily::kPacked: return 2u * w * h;
    case FormatFamily::kSemiPlanar: return size_t(w) * h + 2 * cw * ch;
    default:
      return sample * (size_t(w) * h * (f.alpha ? 2 : 1) +
                       (f.family == FormatFamily::kPlanar8 || f.family == FormatFamily::kPlanar16
                            ? 2 * cw * ch
                            : 0));
  }
}

std::vector<uint8_t> RandomFrame(size_t bytes, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> frame(bytes);
  for (uint8_t& b : frame) b = static_cast<uint8_t>(random());
  return frame;
}

const char* const kEveryFormat[] = {
    "bgr0",        "bgr24",        "bgra64le",     "gray",         "gray10le",    "gray16le",
    "yuv444p",     "yuv422p",      "yuv420p",      "yuv411p",      "yuv410p",     "nv12",
    "yuyv422",     "uyvy422",      "yuva420p",     "yuva444p",     "yuv420p10le", "yuv422p12le",
    "yuv444p16le", "yuva420p16le", "yuva422p10le",
};

// Settings that change nothing take every format and give every byte back; settings that need
// RGB take the three RGB formats and refuse the rest, saying which format to ask ffmpeg for.
TEST(Formats, TakenBySettings) {
  const int32_t w = 22, h = 6;
  for (const char* name : kEveryFormat) {
    const RawFormat& f = *FindRawFormat(name);
    const std::vector<uint8_t> frame = RandomFrame(RawBytes(f, w, h), 7);
    const FrameRun same = Frames("Config(0,\"40408080\")", w, h, {"--pix-fmt", name}, frame);
    ASSERT_EQ(same.status, 0) << name << ": " << same.err;
    EXPECT_EQ(same.out, frame) << name;
    EXPECT_NE(same.err.find(std::string("format: ") + name), std::string::npos) << same.err;

    const FrameRun rgb = Frames("Config(0,\"4034c0cc\")", w, h, {"--pix-fmt", name}, frame);
    if (IsRgb(f.family)) {
      ASSERT_EQ(rgb.status, 0) << name << ": " << rgb.err;
      EXPECT_NE(rgb.err.find("into a frame of its own"), std::string::npos) << rgb.err;
      EXPECT_NE(rgb.out, frame) << name;
      continue;
    }
    EXPECT_EQ(rgb.status, 1) << name;
    EXPECT_TRUE(rgb.out.empty()) << name;
    EXPECT_NE(rgb.err.find(std::string("the filter takes no ") + name +
                           " frames with these settings, which need RGB frames: ask ffmpeg for "
                           "-pix_fmt bgr0, or bgra64le for more than 8 bits a sample"),
              std::string::npos)
        << rgb.err;
  }
}

// An old host (versions 8 and 15) takes 32-bit frames through the original interface, byte for
// byte as the engine maps them, and has no other formats.
TEST(Formats, OldHostsAsTheyAlwaysWere) {
  const int32_t w = 37, h = 5;
  const std::vector<uint8_t> frame = RandomFrame(4u * w * h, 3);
  CurveData data;
  InitCurveData(data);
  ApplyConfigScript(data, 2, "4034c0cc");
  std::vector<uint8_t> expected(frame.size());
  MapFrame(data, FrameSpan{frame.data(), 0, expected.data(), 0, w, h});
  for (const char* version : {"8", "15"}) {
    const FrameRun run = Frames("Config(2,\"4034c0cc\")", w, h, {"--host-version", version}, frame);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected) << version;
    EXPECT_EQ(run.err.find("format:"), std::string::npos) << run.err;
    const FrameRun yuv = Frames("Config(2,\"4034c0cc\")", w, h,
                           {"--host-version", version, "--pix-fmt", "yuv420p"}, frame);
    EXPECT_EQ(yuv.status, 2) << yuv.err;
  }
}

// A curve's real level at x (0..255), and what the settings make of it on one channel.
struct Reference {
  CurveData data;
  std::unique_ptr<CurveSamples> master = std::make_unique<CurveSamples>();
  std::unique_ptr<CurveSamples> own[3];
  explicit Reference(const std::string& line) {
    InitCurveData(data);
    std::vector<std::string> args;
    // The settings lines here are the four-curve form: mode, four texts, kinds (and target).
    const size_t open = line.find('(');
    std::string rest = line.substr(open + 1, line.size() - open - 2);
    std::string field;
    bool quoted = false;
    for (char c : rest) {
      if (c == '"') quoted = !quoted;
      else if (c == ',' && !quoted) args.push_back(field), field.clear();
      else field += c;
    }
    args.push_back(field);
    const char* texts[4] = {args[1].c_str(), args[2].c_str(), args[3].c_str(), args[4].c_str()};
    ApplyCurvesScript(data, std::stoi(args[0]), texts, std::stoi(args[5]));
    if (args.size() > 6) data.target = static_cast<MasterTarget>(std::stoi(args[6]));
    SampleCurve(data, kCurveMaster, *master);
    for (int word = 0; word < 3; ++word) {
      own[word] = std::make_unique<CurveSamples>();
      SampleCurve(data, kCurveBlue - word, *own[word]);
    }
  }
  double Level(int word, double x) const {
    const double level = CurveAt(*own[word], x);
    return MasterMapsChannel(data.mode, kCurveBlue - word) ? CurveAt(*master, level) : level;
  }
};

uint16_t WordAt(const std::vector<uint8_t>& bytes, size_t i) {
  return static_cast<uint16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
}

// 64-bit RGB ramps through every code of the reference, each kind of curve and a channel curve
// before the master: within half an 8-bit level of the composed real curves, monotone where they
// are, no step larger than their slope allows plus one code, alpha copied; codes of 8-bit levels
// (257 k against 65535) of a single curve within a level of the 8-bit table where the curve rises
// by a level a level or less (where it is steeper the 8-bit table itself departs from the curve
// by up to its rise over the level: its walk truncates a point up to a level further on).
TEST(Formats, SixtyFourBitRgbRampsFollowTheCurves) {
  const char* const lines[] = {
      "Config(0,\"4034c0cc\",\"\",\"\",\"\",0)",           // smooth S
      "Config(0,\"4020c0e0\",\"\",\"\",\"\",1)",           // monotone S
      "Config(0,\"001040806080ffeb\",\"\",\"\",\"\",2)",   // linear
      "Config(0,\"4034c0cc\",\"\",\"80a0\",\"\",16)",      // green monotone, then the master
      "Config(1,\"20408060\",\"c0a0\",\"\",\"4070\",2)",   // red only, linear master
  };
  for (const uint32_t ref : {1023u, 0xFF00u, 65535u}) {
    const int32_t codes = 65536, w = 256, h = codes / w;
    std::vector<uint8_t> frame(8u * codes);
    for (int32_t v = 0; v < codes; ++v)
      for (int word = 0; word < 4; ++word) {
        const uint16_t value = static_cast<uint16_t>(word == 3 ? v * 7 : v);
        frame[8 * v + 2 * word] = static_cast<uint8_t>(value);
        frame[8 * v + 2 * word + 1] = static_cast<uint8_t>(value >> 8);
      }
    for (const char* line : lines) {
      const Reference reference(line);
      const FrameRun run =
          Frames(line, w, h, {"--pix-fmt", "bgra64le", "--ref", std::to_string(ref)}, frame);
      ASSERT_EQ(run.status, 0) << run.err;
      ASSERT_EQ(run.out.size(), frame.size());
      uint8_t levels[3][kLutSize];
      ComposeChannelTables(reference.data, levels);
      for (int word = 0; word < 3; ++word) {
        double steepest = 0;
        for (int i = 1; i < kCurveSampleCount; ++i)
          steepest = std::fmax(steepest, std::fabs(reference.Level(word, i / 257.0) -
                                                   reference.Level(word, (i - 1) / 257.0)));
        steepest *= kSamplesPerLevel;  // levels a level, which is codes a code
        const std::string what = std::string(line) + " ref " + std::to_string(ref) + " word " +
                                 std::to_string(word);
        for (uint32_t v = 0; v <= ref; ++v) {
          const double out = WordAt(run.out, 4 * v + word);
          ASSERT_NEAR(out * 255.0 / ref, reference.Level(word, 255.0 * v / ref), 0.5)
              << what << " code " << v;
          if (v == 0) continue;
          const double before = WordAt(run.out, 4 * (v - 1) + word);
          ASSERT_LE(std::fabs(out - before), steepest + 1.0) << what << " code " << v;
          // The monotone and the linear master rise everywhere, and nothing comes before them.
          if (line == lines[1] || line == lines[2]) {
            ASSERT_GE(out, before) << what << " code " << v;
          }
        }
        // One curve on this channel: where two compose, the 8-bit tables compound their steps.
        const int32_t* ownTable = CurveLut(reference.data, kCurveBlue - word);
        bool ownIsIdentity = true;
        for (int k = 0; k < kLutSize; ++k) ownIsIdentity &= ownTable[k] == k;
        const bool oneCurve =
            ownIsIdentity || !MasterMapsChannel(reference.data.mode, kCurveBlue - word);
        if (ref == 65535 && oneCurve) {
          for (int k = 0; k < kLutSize; ++k) {
            const double rise = k < 255 ? std::fabs(reference.Level(word, k + 1) -
                                                    reference.Level(word, k))
                                        : 0;
            ASSERT_NEAR(WordAt(run.out, 4 * 257 * k + word) / 257.0, levels[word][k],
                        std::fmax(1.0, rise) + 0.01)
                << what << " level " << k;
          }
        }
      }
      for (int32_t v = 0; v < codes; ++v)
        ASSERT_EQ(WordAt(run.out, 4 * v + 3), static_cast<uint16_t>(v * 7)) << line;
    }
  }
}

// Where the luma samples of a raw 8-bit frame lie: the first plane, or every other byte of packed
// rows.
bool IsLumaByte(const RawFormat& f, int32_t w, int32_t h, size_t i) {
  if (f.family == FormatFamily::kPacked) return i < 2u * w * h && i % 2 == (f.lumaSecond ? 1 : 0);
  return i < size_t(w) * h;
}

// The luma of 8-bit frames exactly: full range y' = master[y]; limited range through the 16..235
// scale, rounded, and beyond it moved as 16 (235) is. Written out here, not taken from the engine.
uint8_t ExpectedLuma(const int32_t* master, bool limited, int y) {
  if (!limited) return static_cast<uint8_t>(master[y]);
  const auto inRange = [&](int v) {
    const int x = (255 * (v - 16) + 109) / 219;
    return 16 + (219 * static_cast<uint8_t>(master[x]) + 127) / 255;
  };
  const int moved = y < 16 ? y + inRange(16) - 16 : y > 235 ? y + inRange(235) - 235 : inRange(y);
  return static_cast<uint8_t>(std::min(255, std::max(0, moved)));
}

// Every 8-bit luma-only and Y'CbCr format, both ranges, every luma value: the luma plane as above,
// every chroma and alpha byte as it was, mapped in place.
TEST(Formats, EightBitLumaExactlyChromaUntouched) {
  const char* const lines[] = {"Config(0,\"4020c0e0\",\"\",\"\",\"\",1,1)",
                               "Config(3,\"4034c0cc\",\"\",\"\",\"\",0,2)"};
  const char* const formats[] = {"gray",    "yuv444p", "yuv422p",  "yuv420p",  "yuv411p",
                                 "yuv410p", "nv12",    "yuyv422",  "uyvy422",  "yuva420p",
                                 "yuva422p", "yuva444p"};
  const int32_t w = 256, h = 4;
  for (const char* line : lines) {
    const Reference reference(line);
    for (const char* name : formats) {
      const RawFormat& f = *FindRawFormat(name);
      std::vector<uint8_t> frame = RandomFrame(RawBytes(f, w, h), 11);
      // Every value in every luma row, shifted from row to row.
      size_t sample = 0;
      for (size_t i = 0; i < frame.size(); ++i)
        if (IsLumaByte(f, w, h, i))
          frame[i] = static_cast<uint8_t>(sample % w + 37 * (sample / w)), ++sample;
      for (const bool limited : {true, false}) {
        const FrameRun run = Frames(line, w, h,
                                    {"--pix-fmt", name, "--range", limited ? "limited" : "full",
                                     "--matrix", limited ? "709" : "601"},
                                    frame);
        const std::string what = std::string(line) + " " + name + (limited ? " limited" : " full");
        ASSERT_EQ(run.status, 0) << what << ": " << run.err;
        EXPECT_NE(run.err.find("mapped in place"), std::string::npos) << run.err;
        ASSERT_EQ(run.out.size(), frame.size()) << what;
        for (size_t i = 0; i < frame.size(); ++i) {
          const uint8_t expected = IsLumaByte(f, w, h, i)
                                       ? ExpectedLuma(reference.data.lut, limited, frame[i])
                                       : frame[i];
          ASSERT_EQ(run.out[i], expected) << what << " byte " << i << " from " << int(frame[i]);
        }
      }
    }
  }
}

// 16-bit luma planes of refs 1023, 0xFF00 and 65535, both ranges, every kind of curve on luma:
// every code between black and white within half an 8-bit level of the curve, no step beyond its
// slope plus a code, rising where it rises; chroma and alpha as they were.
TEST(Formats, SixteenBitLumaPlanesFollowTheCurve) {
  const char* const lines[] = {"Config(0,\"4034c0cc\",\"\",\"\",\"\",0,1)",
                               "Config(0,\"4020c0e0\",\"\",\"\",\"\",1,2)",
                               "Config(0,\"001040806080ffeb\",\"\",\"\",\"\",2,1)"};
  struct Case {
    const char* format;
    uint32_t ref;
  };
  const Case cases[] = {{"gray10le", 1023},      {"yuv420p10le", 1023}, {"yuv422p16le", 0xFF00},
                        {"yuva420p16le", 65535}, {"gray16le", 65535}};
  const int32_t w = 256, h = 256;
  for (const char* line : lines) {
    const Reference reference(line);
    double steepest = 0;
    for (int i = 1; i < kCurveSampleCount; ++i)
      steepest =
          std::fmax(steepest, std::fabs(reference.master->y[i] - reference.master->y[i - 1]));
    steepest *= kSamplesPerLevel;
    const bool rising = line != lines[0];
    for (const Case& c : cases) {
      const RawFormat& f = *FindRawFormat(c.format);
      std::vector<uint8_t> frame = RandomFrame(RawBytes(f, w, h), 5);
      for (uint32_t v = 0; v < 65536; ++v)
        frame[2 * v] = uint8_t(v), frame[2 * v + 1] = uint8_t(v >> 8);
      for (const bool limited : {true, false}) {
        const FrameRun run = Frames(line, w, h,
                                    {"--pix-fmt", c.format, "--range", limited ? "limited" : "full",
                                     "--ref", std::to_string(c.ref)},
                                    frame);
        const std::string what = std::string(line) + " " + c.format + " ref " +
                                 std::to_string(c.ref) + (limited ? " limited" : " full");
        ASSERT_EQ(run.status, 0) << what << ": " << run.err;
        ASSERT_EQ(run.out.size(), frame.size()) << what;
        int bits = 0;
        while ((c.ref >> bits) != 0) ++bits;
        const uint32_t black = limited ? 16u << (bits - 8) : 0;
        const uint32_t white = limited ? 235u << (bits - 8) : c.ref;
        const double perLevel = (white - black) / 255.0;
        for (uint32_t v = black; v <= white; ++v) {
          const double out = WordAt(run.out, v);
          ASSERT_NEAR((out - black) / perLevel, CurveAt(*reference.master, (v - black) / perLevel),
                      0.5)
              << what << " code " << v;
          if (v == black) continue;
          const double before = WordAt(run.out, v - 1);
          ASSERT_LE(std::fabs(out - before), steepest + 1.0) << what << " code " << v;
          if (rising) {
            ASSERT_GE(out, before) << what << " code " << v;
          }
        }
        EXPECT_TRUE(std::equal(frame.begin() + 2 * 65536, frame.end(), run.out.begin() + 2 * 65536))
            << what << ": chroma or alpha changed";
      }
    }
  }
}

// 64-bit RGB on luma after a channel curve: each channel's own curve, then every channel moved by
// the master's change of luma, within half an 8-bit level of the same done on real curves.
TEST(Formats, SixtyFourBitRgbOnLuma) {
  const std::string line = "Config(0,\"4034c0cc\",\"\",\"80a0\",\"\",16,1)";
  const Reference reference(line);
  const LumaWeights& weights = LumaWeightsOf(kTargetLuma709);
  const int32_t w = 256, h = 64;
  const std::vector<uint8_t> frame = RandomFrame(8u * w * h, 21);
  for (const uint32_t ref : {1023u, 65535u}) {
    std::vector<uint8_t> input = frame;
    for (size_t i = 0; i < input.size() / 2; ++i) {
      const uint16_t v = static_cast<uint16_t>(WordAt(input, i) % (ref + 1));
      input[2 * i] = uint8_t(v), input[2 * i + 1] = uint8_t(v >> 8);
    }
    const FrameRun run = Frames(line, w, h, {"--pix-fmt", "bgra64le", "--ref", std::to_string(ref)},
                                input);
    ASSERT_EQ(run.status, 0) << run.err;
    for (int32_t p = 0; p < w * h; ++p) {
      double level[3];
      for (int word = 0; word < 3; ++word)
        level[word] = CurveAt(*reference.own[word], 255.0 * WordAt(input, 4 * p + word) / ref);
      const double y =
          (weights.blue * level[0] + weights.green * level[1] + weights.red * level[2]) / 65536.0;
      const double change = CurveAt(*reference.master, y) - y;
      for (int word = 0; word < 3; ++word) {
        const double expected = std::min(255.0, std::max(0.0, level[word] + change));
        ASSERT_NEAR(WordAt(run.out, 4 * p + word) * 255.0 / ref, expected, 0.5)
            << "ref " << ref << " pixel " << p << " word " << word;
      }
      ASSERT_EQ(WordAt(run.out, 4 * p + 3), WordAt(input, 4 * p + 3)) << "alpha of pixel " << p;
    }
  }
}

}  // namespace
