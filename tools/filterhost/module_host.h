// Driving a filter module through the host interface the way a video host does: load the file,
// let it register its filters, make instances of the instance-data size, run script calls by name
// with their arguments checked against the function's signature, ask for the description and the
// saved settings, and push frames through it in the host's bitmap layout. It speaks the interface
// version it is given: the original one (32-bit frames in bitmaps), or from 16 on the newer one
// (frames of any format in pixmaps, formats agreed through paramProc), and from 18 on it calls a
// module's FilterModModuleInit as the hosts with the FilterMod extension do.
//
// Shared by the command-line filter host and the Windows-side tests. Every failure comes back as
// false with one sentence in `error`; nothing here throws or exits.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "host/filter_abi.h"
#include "tools/filterhost/host_frames.h"

// The interface versions this host can speak.
constexpr int kOriginalHostVersion = 8;
constexpr int kFormatsHostVersion = 16;    // pixmaps, formats, stringProc2 and copyProc2
constexpr int kFilterModHostVersion = 18;  // FilterModModuleInit, the frames' info
constexpr int kNewestHostVersion = 20;
constexpr int kHostFilterModVersion = 6;

// The largest frame side this host accepts, for pictures and raw frames alike; anything larger is
// a damaged file or a typing mistake, not a video.
constexpr int32_t kMaxFrameSide = 1 << 15;
inline bool FrameSizeFits(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxFrameSide && height <= kMaxFrameSide;
}
// Whether every buffer this host holds at once for frames of this size (the frame as read, its
// RGB copy, the source and destination bitmaps with their padding, the filtered copy) adds up to
// something this process can address. A 32-bit host refuses large frames here, before their
// sizes could wrap; past this check no buffer size computed for such frames can overflow.
bool FrameBuffersFit(int32_t width, int32_t height);
// "frames of WxH need more memory than a 32-bit filterhost can address"
std::string FramesBeyondAddressSpaceMessage(int32_t width, int32_t height);
// "not enough memory for frames of WxH"
std::string NoMemoryForFramesMessage(int32_t width, int32_t height);

// Sizes `buffer` to `count` elements, or returns false, leaving it as it was, when the memory
// cannot be had. Every buffer that grows with the frame goes through here, so a frame too large
// for the memory at hand ends the run with a message, not with an exception.
template <typename T>
bool Resized(std::vector<T>& buffer, size_t count) {
  if (count > buffer.max_size()) return false;
  try {
    buffer.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

constexpr int kScriptBufferLength = 4096;  // what fssProc is given
constexpr int kDescriptionBufferLength = 256;

// The raw module: the library and its two entries, before anything is registered.
struct ModuleFile {
  HMODULE library = nullptr;
  FilterModuleInitProc init = nullptr;
  FilterModuleDeinitProc deinit = nullptr;
  FilterModule record{};  // what the entries receive as the module
};

bool OpenModuleFile(const std::string& path, ModuleFile& module, std::string& error);
void CloseModuleFile(ModuleFile& module);

// A loaded and registered module. addFilter keeps a zero-padded copy of each definition, as the
// host does, and removeFilter drops it again.
class FilterHost {
 public:
  FilterHost();
  ~FilterHost();
  FilterHost(const FilterHost&) = delete;
  FilterHost& operator=(const FilterHost&) = delete;

  // Registers the module's filters, offering interface `version` (at least 1, at most
  // kNewestHostVersion).
  bool Load(const std::string& path, int version, std::string& error);
  void Unload();  // module exit, then the library is freed

  const std::vector<FilterDefinition*>& filters() const { return filters_; }
  const FilterFunctions& services() const { return services_; }
  int version() const { return version_; }
  // The FilterMod record registered beside a filter, or null: the module did not register
  // through FilterModModuleInit, or gave none.
  const FilterModDefinition* FilterModOf(const FilterDefinition* filter) const;

 private:
  static FilterDefinition* AddFilter(FilterModule* module, FilterDefinition* definition,
                                     int length);
  static FilterDefinition* AddFilterMod(FilterModule* module, FilterDefinition* definition,
                                        int length, FilterModDefinition* fm, int fmLength);
  static void RemoveFilter(FilterDefinition* definition);
  FilterDefinition* Add(FilterModule* module, FilterDefinition* definition, int length,
                        const FilterModDefinition* fm, int fmLength);
  bool Register(const std::string& path, std::string& error);

  struct Registered {
    FilterDefinitionEx definition;  // zeroed beyond what the module handed over
    FilterModDefinition fm;
    bool hasFm;
  };

  ModuleFile module_;
  FilterModModuleInitProc filterModInit_ = nullptr;
  FilterFunctions services_;
  FilterModInit modInit_;
  int version_ = kOriginalHostVersion;
  std::vector<FilterDefinition*> filters_;
  std::vector<std::unique_ptr<Registered>> storage_;
  bool initialised_ = false;
};

// One argument of a script call as written in a script line.
struct ScriptArgument {
  enum class Kind { kInteger, kReal, kString };
  Kind kind;
  int64_t integer;
  double real;
  std::string text;
};

struct ScriptCall {
  std::string function;
  std::vector<ScriptArgument> arguments;
};

// Parses one script line: one or more calls `Name(arg, ...)` separated by ';'. A dotted object
// prefix before the name (as hosts write it) is accepted and ignored. Arguments are integers
// (decimal or 0x hex), reals, or double-quoted strings with backslash escapes.
bool ParseScriptLine(const std::string& line, std::vector<ScriptCall>& calls,
                     std::string& error);

// A 32-bit frame laid out as a host lays out its bitmaps: rows bottom-up with a positive pitch
// and padding after each row, so `data` is the bottom picture row.
struct HostBitmap {
  std::vector<uint32_t> storage;
  VFBitmap bitmap{};

  // False when the memory cannot be had; the bitmap is then left empty.
  bool Allocate(int32_t width, int32_t height, int32_t paddingPixels);
  uint32_t* Row(int32_t top);  // row `top` counted from the top of the picture
};

// One filter instance: its instance block, its activation and its frames.
class FilterInstance {
 public:
  FilterInstance();
  FilterInstance(const FilterInstance&) = delete;
  FilterInstance& operator=(const FilterInstance&) = delete;
  ~FilterInstance();

  // Allocates inst_data_size bytes (filled with a pattern, as a host's allocator may leave
  // them) and calls initProc, and the FilterMod activateProc where the host has one. The first
  // form makes the instance as `host` would; the second as a host of the original interface.
  bool Create(const FilterHost& host, FilterDefinition* filter, std::string& error);
  bool Create(FilterDefinition* filter, const FilterFunctions* services, std::string& error);

  bool Call(const ScriptCall& call, std::string& error);
  bool RunScriptLine(const std::string& line, std::string& error);

  // stringProc2's text (preferred at any version, as the editors do), or stringProc's below
  // interface 16; empty when the filter has neither.
  bool Description(std::string& text, std::string& error);
  // fssProc's text; `saved` is false when the filter has no fssProc or it declined.
  bool SavedScript(std::string& text, bool& saved, std::string& error);

  // paramProc, the destination bitmap and startProc, for 32-bit frames of this size (XRGB8888
  // in the newer interface).
  bool Start(int32_t width, int32_t height, std::string& error);
  // Copies the top-down pixels into the source bitmap, runs runProc and copies the result out.
  bool Run(const uint32_t* pixels, std::vector<uint32_t>& result, std::string& error);
  bool End(std::string& error);

  int32_t outputWidth() const { return newer_ ? shape_.width : output_->bitmap.w; }
  int32_t outputHeight() const { return newer_ ? shape_.height : output_->bitmap.h; }

  // The newer interface only: agrees on frames of this shape as the editors do (paramProc must
  // refuse the code 255 they probe with, then is offered the frame's own code; its answer must
  // read the format), lays out the destination or works in place as the answer says, and calls
  // startProc. `refused` says whether it failed because paramProc refused the format.
  bool StartFrames(const FrameShape& shape, bool& refused, std::string& error);
  // One raw frame (as ffmpeg lays it out) through runProc, and the result in the same layout.
  bool RunFrame(const unsigned char* raw, std::vector<unsigned char>& result, std::string& error);
  // paramProc's answer for the frames started.
  int32_t frameFlags() const { return frameFlags_; }

  FilterDefinition* filter() { return activation_.base.filter; }
  FilterActivation& activation() { return activation_.base; }
  unsigned char* block() { return block_.data(); }

 private:
  // The host's pixmap services, for the FilterMod activation: each frame's info.
  class PixmapServices : public IFilterModPixmap {
   public:
    explicit PixmapServices(FilterInstance& owner) : owner_(owner) {}
    PixmapInfo* GetPixmapInfo(const Pixmap* pixmap) override;
    uint64_t GetFormat_XRGB64() override { return 57; }

   private:
    FilterInstance& owner_;
  };

  bool CallStart(std::string& error);

  const FilterFunctions* services_ = nullptr;
  bool newer_ = false;  // the newer interface: frames in pixmaps
  std::vector<unsigned char> block_;
  FilterActivationEx activation_{};
  FilterModActivation fma_{};
  FilterModDefinition fm_{};
  PixmapServices pixmapServices_{*this};
  HostBitmap source_;
  HostBitmap destination_;
  HostBitmap* output_ = &destination_;
  FrameShape shape_{};
  HostFrame sourceFrame_;
  HostFrame destinationFrame_;
  FrameView inPlaceView_{};  // the destination when the filter works in place
  FrameView* outputView_ = nullptr;
  VFBitmapEx* sourceFrames_[1] = {};
  VFBitmapEx* outputFrames_[1] = {};
  int32_t frameFlags_ = 0;
  bool started_ = false;
};

// "(int, string)" for the signature text "0is": how errors describe a function's arguments.
std::string DescribeSignature(const char* argumentList);
