// filterhost: a command-line video host for filter modules. It loads a module as a host does,
// sets up an instance from script lines, prints the filter's name, its description and the
// script line that saves its settings, and applies it to pictures or to a stream of raw frames.
// Every failure ends the run with one message on stderr and a non-zero exit status.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "tools/filterhost/configure.h"
#include "tools/filterhost/curve_settings.h"
#include "tools/filterhost/module_host.h"
#include "tools/filterhost/picture_io.h"
#include "tools/filterhost/raw_formats.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "usage: filterhost MODULE [options]\n"
    "\n"
    "Loads a filter module as a video host does, prints the filter's name, its description\n"
    "and the script line that saves its settings, and applies the filter.\n"
    "\n"
    "settings (run in order on a new instance):\n"
    "  -s, --script LINE       run a script line; may be repeated. tonarc's lines are\n"
    "                          Config(MODE,\"POINTS\"), e.g. Config(0,\"4034c0cc\"),\n"
    "                          Config(MODE,\"MASTER\",\"RED\",\"GREEN\",\"BLUE\",KINDS), e.g.\n"
    "                          Config(0,\"4034c0cc\",\"\",\"80a0\",\"\",16), and\n"
    "                          Config(MODE,\"MASTER\",\"RED\",\"GREEN\",\"BLUE\",KINDS,TARGET),\n"
    "                          e.g. Config(0,\"4034c0cc\",\"\",\"\",\"\",0,1): four hex digits\n"
    "                          per point (input, output); MODE 0 RGB, 1 red, 2 green, 3 blue\n"
    "                          (the channels MASTER maps); KINDS has two bits per curve in the\n"
    "                          order master, red, green, blue (0 smooth, 1 monotone, 2 linear);\n"
    "                          TARGET 1 or 2 puts MASTER on luma (Rec. 709 or Rec. 601\n"
    "                          weights) instead of the channels MODE names\n"
    "  -f, --script-file FILE  run every line of FILE\n"
    "  -j, --jobs FILE         run each line of FILE as its own job on a new instance (after\n"
    "                          the lines of --script and --script-file)\n"
    "      --filter NAME       use this filter when the module registers several\n"
    "      --host-version N    the filter interface version to offer, 1 to 20 (default 20):\n"
    "                          below 16 the original one, 32-bit RGB frames only; from 16\n"
    "                          frames of any format, agreed with the filter as the editors\n"
    "                          agree them; from 18 also each frame's reference level and range\n"
    "                          (the FilterMod extension)\n"
    "      --configure         open the filter's configuration dialog after the script lines,\n"
    "                          with a preview of the picture (--in, or the sample picture);\n"
    "                          the lines printed after it show the settings it was left with\n"
    "      --auto contrast|colour\n"
    "                          tonarc's Auto contrast or Auto colour from the picture's\n"
    "                          levels, after the script lines (--out is then optional)\n"
    "      --export-cube FILE  write tonarc's settings, as they are left, as a .cube LUT\n"
    "                          (a 1D table, or a 3D table for a luma target); with --jobs,\n"
    "                          %d or %04d in the name stands for the job number\n"
    "\n"
    "pictures:\n"
    "  -i, --in PICTURE        filter a PNG or BMP picture\n"
    "      --sample            filter the built-in sample picture (grey ramps, colour patches)\n"
    "  -o, --out PNG           where the filtered picture goes; with --jobs, %d or %04d in\n"
    "                          the name stands for the job number\n"
    "      --save-input PNG    also write the input picture\n"
    "\n"
    "raw frames:\n"
    "      --raw WxH           filter frames of W x H pixels from stdin to stdout, laid out as\n"
    "                          ffmpeg reads and writes them; the filter's lines then go to\n"
    "                          stderr with the format agreed and a progress line\n"
    "      --pix-fmt FORMAT    the frames' format by ffmpeg's name (default bgr0: 4 bytes a\n"
    "                          pixel, blue, green, red, unused); from host version 16 also\n"
    "                          bgr24|bgra64le|gray|gray10le|gray12le|gray16le|yuv444p|yuv422p|\n"
    "                          yuv420p|yuv411p|yuv410p|nv12|yuyv422|uyvy422|yuva444p|yuva422p|\n"
    "                          yuva420p and yuv444p, yuv422p, yuv420p with 10le|12le|16le,\n"
    "                          yuva444p, yuva422p, yuva420p with 10le|16le\n"
    "      --range RANGE       limited (default) or full: the range of Y'CbCr and grey frames\n"
    "      --matrix MATRIX     601 (default) or 709: the matrix of Y'CbCr frames\n"
    "      --ref N             the sample value standing for 8-bit white, 1..65535 (default\n"
    "                          2^bits - 1: 1023 for 10 bits; hosts also use 65280, 0xFF00, for\n"
    "                          8-bit levels widened to 16 bits)\n"
    "\n"
    "Blank lines and lines starting with # in FILE are skipped.\n"
    "Exit status: 0 on success, 1 when anything fails, 2 for a wrong command line.\n";

struct Options {
  std::string module;
  std::vector<std::string> scriptLines;
  std::string jobsFile;
  std::string filterName;
  std::string in;
  bool sample = false;
  std::string out;
  std::string saveInput;
  bool raw = false;
  bool configure = false;
  bool autoCurves = false;
  AutoCurves autoKind = AutoCurves::kContrast;
  std::string exportCube;
  int32_t rawWidth = 0;
  int32_t rawHeight = 0;
  int hostVersion = kNewestHostVersion;
  const RawFormat* pixFmt = FindRawFormat("bgr0");
  ColourRange range = ColourRange::kLimited;
  ColourMatrix matrix = ColourMatrix::kBt601;
  uint32_t ref = 0;  // 0: the format's own
  bool frameOptions = false;  // --pix-fmt, --range, --matrix or --ref given
};

struct Failure {
  int status;
  std::string message;
};

// One job: the lines to run and where each came from, for messages.
struct Job {
  std::vector<std::string> lines;
  std::vector<std::string> origins;
};

bool ReadLines(const std::string& path, std::vector<std::string>& lines,
               std::vector<int>& numbers, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::string line;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    lines.push_back(line);
    numbers.push_back(number);
  }
  if (file.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool ParseFrameSize(const std::string& text, int32_t& width, int32_t& height) {
  int w = 0, h = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2) return false;
  if (!FrameSizeFits(w, h)) return false;
  width = w;
  height = h;
  return true;
}

// Replaces the first %d or %0Nd in pattern by number. Returns false when there is none.
bool NumberedPath(const std::string& pattern, int number, std::string& path) {
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    size_t j = i + 1;
    size_t width = 0;
    if (pattern[j] == '0') {
      ++j;
      while (j < pattern.size() && pattern[j] >= '0' && pattern[j] <= '9' && width < 10) {
        width = width * 10 + static_cast<size_t>(pattern[j] - '0');
        ++j;
      }
    }
    if (j < pattern.size() && pattern[j] == 'd') {
      std::string digits = std::to_string(number);
      if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
      path = pattern.substr(0, i) + digits + pattern.substr(j + 1);
      return true;
    }
  }
  path = pattern;
  return false;
}

bool ParseOptions(int argc, char** argv, Options& options, Failure& failure) {
  const auto usage = [&](const std::string& message) {
    failure = Failure{kExitUsage, message + "; see filterhost --help"};
    return false;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (arg == "-s" || arg == "--script") {
      if (!value(text)) return usage(arg + " needs a script line");
      options.scriptLines.push_back(text);
    } else if (arg == "-f" || arg == "--script-file") {
      if (!value(text)) return usage(arg + " needs a file");
      std::vector<std::string> lines;
      std::vector<int> numbers;
      std::string error;
      if (!ReadLines(text, lines, numbers, error)) {
        failure = Failure{kExitFailure, error};
        return false;
      }
      options.scriptLines.insert(options.scriptLines.end(), lines.begin(), lines.end());
    } else if (arg == "-j" || arg == "--jobs") {
      if (!value(options.jobsFile)) return usage(arg + " needs a file");
    } else if (arg == "--filter") {
      if (!value(options.filterName)) return usage(arg + " needs a filter name");
    } else if (arg == "-i" || arg == "--in") {
      if (!value(options.in)) return usage(arg + " needs a picture");
    } else if (arg == "--configure") {
      options.configure = true;
    } else if (arg == "--auto") {
      if (!value(text) || (text != "contrast" && text != "colour")) {
        return usage("--auto needs contrast or colour");
      }
      options.autoCurves = true;
      options.autoKind = text == "contrast" ? AutoCurves::kContrast : AutoCurves::kColour;
    } else if (arg == "--export-cube") {
      if (!value(options.exportCube)) return usage(arg + " needs a file name");
    } else if (arg == "--sample") {
      options.sample = true;
    } else if (arg == "-o" || arg == "--out") {
      if (!value(options.out)) return usage(arg + " needs a file name");
    } else if (arg == "--save-input") {
      if (!value(options.saveInput)) return usage(arg + " needs a file name");
    } else if (arg == "--raw") {
      if (!value(text) || !ParseFrameSize(text, options.rawWidth, options.rawHeight)) {
        return usage("--raw needs a frame size WxH, each side 1.." +
                     std::to_string(kMaxFrameSide));
      }
      options.raw = true;
    } else if (arg == "--host-version") {
      int version = 0;
      char extra = 0;
      if (!value(text) || std::sscanf(text.c_str(), "%d%c", &version, &extra) != 1 ||
          version < 1 || version > kNewestHostVersion) {
        return usage("--host-version needs a version 1.." + std::to_string(kNewestHostVersion));
      }
      options.hostVersion = version;
    } else if (arg == "--pix-fmt") {
      if (!value(text) || (options.pixFmt = FindRawFormat(text)) == nullptr) {
        return usage("--pix-fmt needs one of " + RawFormatNames());
      }
      options.frameOptions = true;
    } else if (arg == "--range") {
      if (!value(text) || (text != "limited" && text != "full")) {
        return usage("--range needs limited or full");
      }
      options.range = text == "full" ? ColourRange::kFull : ColourRange::kLimited;
      options.frameOptions = true;
    } else if (arg == "--matrix") {
      if (!value(text) || (text != "601" && text != "709"))
        return usage("--matrix needs 601 or 709");
      options.matrix = text == "709" ? ColourMatrix::kBt709 : ColourMatrix::kBt601;
      options.frameOptions = true;
    } else if (arg == "--ref") {
      int ref = 0;
      char extra = 0;
      if (!value(text) || std::sscanf(text.c_str(), "%i%c", &ref, &extra) != 1 || ref < 1 ||
          ref > 65535) {
        return usage("--ref needs a sample value 1..65535");
      }
      options.ref = static_cast<uint32_t>(ref);
      options.frameOptions = true;
    } else if (!arg.empty() && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else if (options.module.empty()) {
      options.module = arg;
    } else {
      return usage("unexpected argument " + arg);
    }
  }
  if (options.module.empty()) return usage("no module given");
  if (!options.in.empty() && options.sample) return usage("give either --in or --sample");
  const bool picture = !options.in.empty() || options.sample;
  if (picture && options.raw) return usage("--raw cannot be combined with a picture");
  if (picture && options.out.empty() && !options.autoCurves) {
    return usage("a picture needs --out");
  }
  if (options.autoCurves && !picture) return usage("--auto needs --in or --sample");
  if (!picture && !options.out.empty()) return usage("--out needs --in or --sample");
  if (!options.saveInput.empty() && !picture) return usage("--save-input needs a picture");
  if (options.raw && !options.jobsFile.empty()) return usage("raw frames take a single job");
  if (options.configure && (options.raw || !options.jobsFile.empty())) {
    return usage("--configure takes a single job on a picture");
  }
  if (options.frameOptions && !options.raw) {
    return usage("--pix-fmt, --range, --matrix and --ref describe raw frames (--raw)");
  }
  if (options.pixFmt->family != FormatFamily::kXrgb32 &&
      options.hostVersion < kFormatsHostVersion) {
    return usage(std::string("--pix-fmt ") + options.pixFmt->name + " needs --host-version " +
                 std::to_string(kFormatsHostVersion) + " or more");
  }
  return true;
}

class Progress {
 public:
  explicit Progress(bool show) : show_(show), start_(GetTickCount64()), last_(start_) {}
  void Frame() {
    ++frames_;
    const ULONGLONG now = GetTickCount64();
    if (show_ && now - last_ >= 500) {
      last_ = now;
      Print(now, "");
      std::fflush(stderr);
    }
  }
  void Finish() {
    if (!show_) return;
    Print(GetTickCount64(), "\n");
  }

 private:
  void Print(ULONGLONG now, const char* end) const {
    const double seconds = static_cast<double>(now - start_) / 1000.0;
    if (seconds > 0) {
      std::fprintf(stderr, "\rfilterhost: %lld frames, %.1f fps%s", frames_,
                   static_cast<double>(frames_) / seconds, end);
    } else {
      std::fprintf(stderr, "\rfilterhost: %lld frames%s", frames_, end);
    }
  }
  bool show_;
  ULONGLONG start_;
  ULONGLONG last_;
  long long frames_ = 0;
};

// The shape of the frames --raw, --pix-fmt, --range, --matrix and --ref describe: the hosts' code
// for them and the info the hosts give with them.
FrameShape RawShape(const Options& options) {
  const RawFormat& f = *options.pixFmt;
  FrameShape shape{HostFormatCode(f, options.matrix, options.range), options.rawWidth,
                   options.rawHeight, {}};
  PixmapInfo& info = shape.info;
  info.ref_r = info.ref_g = info.ref_b = info.ref_a =
      options.ref != 0 ? options.ref : DefaultReference(f);
  info.colorSpaceMode = options.matrix == ColourMatrix::kBt709 ? 2 : 1;
  info.colorRangeMode = options.range == ColourRange::kFull ? 2 : 1;
  return shape;
}

// Agrees on the raw frames' format with the filter and says which it took, or why none.
bool StartRawFrames(FilterInstance& instance, const Options& options, FILE* info,
                    size_t& frameBytes, Failure& failure) {
  std::string error;
  if (options.hostVersion < kFormatsHostVersion) {
    frameBytes = static_cast<size_t>(options.rawWidth) * static_cast<size_t>(options.rawHeight) * 4;
    if (instance.Start(options.rawWidth, options.rawHeight, error)) return true;
    failure = Failure{kExitFailure, error};
    return false;
  }
  const FrameShape shape = RawShape(options);
  const char* const name = options.pixFmt->name;
  bool refused = false;
  if (!instance.StartFrames(shape, refused, error)) {
    if (refused && !IsRgb(options.pixFmt->family)) {
      error = std::string("the filter takes no ") + name +
              " frames with these settings, which need RGB frames: ask ffmpeg for -pix_fmt "
              "bgr0, or bgra64le for more than 8 bits a sample";
    } else if (refused) {
      error = std::string("the filter takes no ") + name + " frames with these settings";
    }
    failure = Failure{kExitFailure, error};
    return false;
  }
  frameBytes = static_cast<size_t>(RawFrameBytes(shape));
  const bool inPlace = (instance.frameFlags() & kParamSwapBuffers) == 0;
  std::fprintf(info, "format: %s (code %d), %s\n", name, static_cast<int>(shape.code),
               inPlace ? "mapped in place" : "into a frame of its own");
  return true;
}

bool RunRawFrames(FilterInstance& instance, const Options& options, FILE* info,
                  Failure& failure) {
  std::string error;
  size_t frameBytes = 0;
  if (!StartRawFrames(instance, options, info, frameBytes, failure)) return false;
  std::fflush(info);
  const bool newer = options.hostVersion >= kFormatsHostVersion;
  std::vector<unsigned char> frame;
  std::vector<unsigned char> result;
  std::vector<uint32_t> pixels;
  if (!Resized(frame, frameBytes)) {
    failure = Failure{kExitFailure, NoMemoryForFramesMessage(options.rawWidth, options.rawHeight)};
    return false;
  }
  Progress progress(true);
  for (long long number = 1;; ++number) {
    const size_t got = std::fread(frame.data(), 1, frameBytes, stdin);
    if (got == 0 && std::feof(stdin)) break;
    if (got != frameBytes) {
      progress.Finish();
      failure = Failure{kExitFailure,
                        std::ferror(stdin) != 0
                            ? "cannot read frame " + std::to_string(number) + " from stdin"
                            : "short frame on stdin: frame " + std::to_string(number) + " has " +
                                  std::to_string(got) + " of " + std::to_string(frameBytes) +
                                  " bytes"};
      return false;
    }
    bool ran = false;
    const unsigned char* out = nullptr;
    size_t outBytes = 0;
    if (newer) {
      ran = instance.RunFrame(frame.data(), result, error);
      out = result.data();
      outBytes = result.size();
    } else {
      // The mapped 32-bit pixels are the raw frame's bytes as they stand.
      ran = instance.Run(reinterpret_cast<const uint32_t*>(frame.data()), pixels, error);
      out = reinterpret_cast<const unsigned char*>(pixels.data());
      outBytes = pixels.size() * 4;
    }
    if (!ran) {
      progress.Finish();
      failure = Failure{kExitFailure, "frame " + std::to_string(number) + ": " + error};
      return false;
    }
    if (std::fwrite(out, 1, outBytes, stdout) != outBytes ||
        std::fflush(stdout) != 0) {
      progress.Finish();
      failure = Failure{kExitFailure, "cannot write frame " + std::to_string(number) +
                                          " to stdout"};
      return false;
    }
    progress.Frame();
  }
  progress.Finish();
  if (!instance.End(error)) {
    failure = Failure{kExitFailure, error};
    return false;
  }
  return true;
}

bool RunPicture(FilterInstance& instance, const Picture& input, const std::string& outPath,
                Failure& failure) {
  std::string error;
  Picture output;
  if (!instance.Start(input.width, input.height, error) ||
      !instance.Run(input.pixels.data(), output.pixels, error) || !instance.End(error)) {
    failure = Failure{kExitFailure, error};
    return false;
  }
  output.width = instance.outputWidth();
  output.height = instance.outputHeight();
  if (!WritePng(outPath, output, error)) {
    failure = Failure{kExitFailure, error};
    return false;
  }
  return true;
}

// The jobs of the run: the script lines alone, or with --jobs one job per line of its file, each
// after the script lines.
bool ReadJobs(const Options& options, std::vector<Job>& jobs, Failure& failure) {
  if (options.jobsFile.empty()) {
    Job job;
    job.lines = options.scriptLines;
    job.origins.assign(job.lines.size(), "script line");
    jobs.push_back(job);
    return true;
  }
  std::vector<std::string> lines;
  std::vector<int> numbers;
  std::string error;
  if (!ReadLines(options.jobsFile, lines, numbers, error)) {
    failure = Failure{kExitFailure, error};
    return false;
  }
  if (lines.empty()) {
    failure = Failure{kExitFailure, options.jobsFile + " holds no job"};
    return false;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    Job job;
    job.lines = options.scriptLines;
    job.origins.assign(job.lines.size(), "script line");
    job.lines.push_back(lines[i]);
    job.origins.push_back(options.jobsFile + " line " + std::to_string(numbers[i]));
    jobs.push_back(job);
  }
  // Several jobs writing one picture would overwrite each other's.
  std::string unused;
  for (const auto& [option, path] : {std::make_pair("--out", &options.out),
                                     std::make_pair("--export-cube", &options.exportCube)}) {
    if (!path->empty() && jobs.size() > 1 && !NumberedPath(*path, 1, unused)) {
      failure = Failure{kExitUsage, std::string("with several jobs, ") + option +
                                        " needs %d for the job number"};
      return false;
    }
  }
  return true;
}

// The picture to filter (--sample or --in; none for raw frames), saved with --save-input.
bool ReadInputPicture(const Options& options, Picture& input, Failure& failure) {
  std::string error;
  if (options.sample) input = SamplePicture();
  if ((!options.in.empty() && !ReadPicture(options.in, input, error)) ||
      (!options.saveInput.empty() && !WritePng(options.saveInput, input, error))) {
    failure = Failure{kExitFailure, error};
    return false;
  }
  return true;
}

// The module's first filter, or the one --filter names.
FilterDefinition* ChosenFilter(const FilterHost& host, const Options& options, Failure& failure) {
  if (options.filterName.empty()) return host.filters().front();
  FilterDefinition* filter = nullptr;
  for (FilterDefinition* f : host.filters()) {
    if (f->name != nullptr && options.filterName == f->name) filter = f;
  }
  if (filter == nullptr) {
    failure = Failure{kExitFailure,
                      options.module + " registers no filter named " + options.filterName};
  }
  return filter;
}

// One job on a new instance: its script lines, the dialog with --configure, the description and
// saved script line printed to info (prefixed with the job number when there are jobs), then the
// picture or the raw frames filtered.
// What follows the script lines, each step seeing the settings the one before left: automatic
// curves, the dialog, then the LUT file of the settings as they end up.
bool SettleSettings(FilterInstance& instance, const FilterHost& host, const Options& options,
                    int number, const Picture& input, FILE* info, const std::string& prefix,
                    std::string& error) {
  if (options.autoCurves) {
    std::string note;
    if (!ApplyAutoCurves(instance, options.autoKind, input, note, error)) {
      error = prefix + error;
      return false;
    }
    const char* const name = options.autoKind == AutoCurves::kContrast ? "contrast" : "colour";
    if (!note.empty()) std::fprintf(info, "%sauto %s: %s\n", prefix.c_str(), name, note.c_str());
  }
  if (options.configure &&
      !ConfigureInstance(instance, host.services(),
                         input.pixels.empty() ? SamplePicture() : input, error)) {
    return false;
  }
  if (!options.exportCube.empty()) {
    std::string path = options.exportCube;
    if (!options.jobsFile.empty()) NumberedPath(options.exportCube, number, path);
    if (!ExportCube(instance, path, error)) {
      error = prefix + error;
      return false;
    }
  }
  return true;
}

bool RunJob(const FilterHost& host, FilterDefinition* filter, const Options& options,
            const Job& job, int number, const Picture& input, FILE* info, Failure& failure) {
  const bool numbered = !options.jobsFile.empty();
  const std::string prefix = numbered ? "job " + std::to_string(number) + ": " : "";
  std::string error;
  const auto fail = [&](const std::string& message) {
    failure = Failure{kExitFailure, message};
    return false;
  };
  FilterInstance instance;
  if (!instance.Create(host, filter, error)) return fail(prefix + error);
  for (size_t k = 0; k < job.lines.size(); ++k) {
    if (!instance.RunScriptLine(job.lines[k], error)) {
      return fail(prefix + job.origins[k] + ": " + error);
    }
  }
  if (!SettleSettings(instance, host, options, number, input, info, prefix, error)) {
    return fail(error);
  }
  std::string description, script;
  bool saved = false;
  if (!instance.Description(description, error) || !instance.SavedScript(script, saved, error)) {
    return fail(prefix + error);
  }
  std::fprintf(info, "%sdescription: %s\n", prefix.c_str(), description.c_str());
  std::fprintf(info, "%sscript: %s\n", prefix.c_str(),
               saved ? script.c_str() : "(none: the filter saves no settings)");

  if (!options.out.empty()) {
    std::string outPath = options.out;
    if (numbered) NumberedPath(options.out, number, outPath);
    if (!RunPicture(instance, input, outPath, failure)) {
      failure.message = prefix + failure.message;
      return false;
    }
  } else if (options.raw && !RunRawFrames(instance, options, info, failure)) {
    return false;
  }
  return true;
}

int Run(int argc, char** argv) {
  Options options;
  Failure failure{0, {}};
  const auto fail = [&](const Failure& f) {
    std::fprintf(stderr, "filterhost: %s\n", f.message.c_str());
    return f.status;
  };
  if (!ParseOptions(argc, argv, options, failure)) return fail(failure);
  // Refused before anything is loaded or printed; a picture's size is checked as it is read.
  if (options.raw && (options.hostVersion < kFormatsHostVersion
                          ? !FrameBuffersFit(options.rawWidth, options.rawHeight)
                          : !FrameBytesFit(RawShape(options)))) {
    return fail(
        {kExitFailure, FramesBeyondAddressSpaceMessage(options.rawWidth, options.rawHeight)});
  }

  if (options.raw) {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
  }
  // With frames on stdout, everything meant for the reader goes to stderr.
  FILE* const info = options.raw ? stderr : stdout;

  std::vector<Job> jobs;
  Picture input;
  if (!ReadJobs(options, jobs, failure) || !ReadInputPicture(options, input, failure)) {
    return fail(failure);
  }

  FilterHost host;
  std::string error;
  if (!host.Load(options.module, options.hostVersion, error)) return fail({kExitFailure, error});
  FilterDefinition* const filter = ChosenFilter(host, options, failure);
  if (filter == nullptr) return fail(failure);
  std::fprintf(info, "filter: %s: %s\n", filter->name != nullptr ? filter->name : "(no name)",
               filter->desc != nullptr ? filter->desc : "(no description)");

  for (size_t j = 0; j < jobs.size(); ++j) {
    if (!RunJob(host, filter, options, jobs[j], static_cast<int>(j + 1), input, info, failure)) {
      return fail(failure);
    }
  }
  std::fflush(info);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Every failure the run expects is reported where it happens; this is for whatever slipped
  // through, so that even then the run ends with one message and status 1, not an abort.
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("filterhost: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "filterhost: %s\n", e.what());
  }
  return kExitFailure;
}
