// Driving a filter module through the host interface the way a video host does: load the file,
// let it register its filters, make instances of the instance-data size, run script calls by name
// with their arguments checked against the function's signature, ask for the description and the
// saved settings, and push frames through it in the host's bitmap layout.
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

constexpr int kHostInterfaceVersion = 8;

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

  bool Load(const std::string& path, std::string& error);
  void Unload();  // module exit, then the library is freed

  const std::vector<FilterDefinition*>& filters() const { return filters_; }
  const FilterFunctions& services() const { return services_; }

 private:
  static FilterDefinition* AddFilter(FilterModule* module, FilterDefinition* definition,
                                     int length);
  static void RemoveFilter(FilterDefinition* definition);

  ModuleFile module_;
  FilterFunctions services_;
  std::vector<FilterDefinition*> filters_;
  std::vector<std::unique_ptr<FilterDefinition>> storage_;
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

// One filter instance: its instance block, its activation and its two bitmaps.
class FilterInstance {
 public:
  FilterInstance() = default;
  FilterInstance(const FilterInstance&) = delete;
  FilterInstance& operator=(const FilterInstance&) = delete;
  ~FilterInstance();

  // Allocates inst_data_size bytes (filled with a pattern, as a host's allocator may leave
  // them) and calls initProc.
  bool Create(FilterDefinition* filter, const FilterFunctions* services, std::string& error);

  bool Call(const ScriptCall& call, std::string& error);
  bool RunScriptLine(const std::string& line, std::string& error);

  // stringProc's text, or empty when the filter has none.
  bool Description(std::string& text, std::string& error);
  // fssProc's text; `saved` is false when the filter has no fssProc or it declined.
  bool SavedScript(std::string& text, bool& saved, std::string& error);

  // paramProc, the destination bitmap and startProc, for frames of this size.
  bool Start(int32_t width, int32_t height, std::string& error);
  // Copies the top-down pixels into the source bitmap, runs runProc and copies the result out.
  bool Run(const uint32_t* pixels, std::vector<uint32_t>& result, std::string& error);
  bool End(std::string& error);

  int32_t outputWidth() const { return output_->bitmap.w; }
  int32_t outputHeight() const { return output_->bitmap.h; }

  FilterDefinition* filter() { return activation_.filter; }
  FilterActivation& activation() { return activation_; }
  unsigned char* block() { return block_.data(); }

 private:
  const FilterFunctions* services_ = nullptr;
  std::vector<unsigned char> block_;
  FilterActivation activation_{};
  HostBitmap source_;
  HostBitmap destination_;
  HostBitmap* output_ = &destination_;
  bool started_ = false;
};

// "(int, string)" for the signature text "0is": how errors describe a function's arguments.
std::string DescribeSignature(const char* argumentList);
