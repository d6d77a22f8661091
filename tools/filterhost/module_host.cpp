#include "tools/filterhost/module_host.h"

#include "host/pixel_formats.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

constexpr char kInitName[] = "VirtualdubFilterModuleInit2";
constexpr char kDeinitName[] = "VirtualdubFilterModuleDeinit";
constexpr char kFilterModInitName[] = "FilterModModuleInit";

// The largest instance block this host accepts; anything larger is a damaged definition.
constexpr int32_t kMaxInstanceBytes = 64 << 20;
constexpr int kMaxScriptFunctions = 4096;  // a table without its terminator stops here

constexpr unsigned char kFreshBlockByte = 0xCD;
constexpr uint32_t kFreshPixel = 0xCDCDCDCDu;
constexpr char kUnwrittenByte = '\xAA';

// Different row padding on each side, so a filter that mixes up the two modulos shows it.
constexpr int32_t kSourcePadding = 3;
constexpr int32_t kDestinationPadding = 5;

// Adds count * unitBytes to total; false once the sum no longer fits in size_t.
bool AddBytes(size_t& total, size_t count, size_t unitBytes) {
  size_t bytes = 0;
  return !__builtin_mul_overflow(count, unitBytes, &bytes) &&
         !__builtin_add_overflow(total, bytes, &total);
}

std::string FrameSizeText(int32_t width, int32_t height) {
  return std::to_string(width) + "x" + std::to_string(height);
}

std::string SystemMessage(DWORD code) {
  char buffer[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, code, 0, buffer, sizeof buffer, nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' ||
                        buffer[length - 1] == ' ' || buffer[length - 1] == '.')) {
    buffer[--length] = '\0';
  }
  if (length == 0) return "Windows error " + std::to_string(code);
  return std::string(buffer) + " (Windows error " + std::to_string(code) + ")";
}

template <typename Function>
Function EntryPoint(HMODULE library, const char* name) {
  // Going through void (*)() says the cast between function types is deliberate.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The host services a module may call besides addFilter and removeFilter. This host has no
// exceptions to raise, so a filter's own error report ends the run with its message.
bool AlwaysEnabled() { return true; }
void NoVTables(void*) {}
void OutOfMemory() {
  std::fprintf(stderr, "filterhost: the filter ran out of memory\n");
  std::exit(1);
}
void FilterError(const char* format, ...) {
  char message[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(message, sizeof message, format != nullptr ? format : "(no message)", arguments);
  va_end(arguments);
  std::fprintf(stderr, "filterhost: the filter reported an error: %s\n", message);
  std::exit(1);
}
int32_t NoCpuFlags() { return 0; }
int32_t HostVersionInfo(char* buffer, int length) {
  if (buffer != nullptr && length > 0) {
    std::snprintf(buffer, static_cast<size_t>(length), "filterhost");
  }
  return 0;
}

FilterHost* registeringHost = nullptr;

const char* ArgumentTypeName(char type) {
  switch (type) {
    case 'i': return "int";
    case 'l': return "64-bit int";
    case 'd': return "real";
    case 's': return "string";
    default: return nullptr;
  }
}

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

bool ArgumentMatches(char type, const ScriptArgument& argument) {
  switch (type) {
    case 'i': return argument.kind == ScriptArgument::Kind::kInteger && FitsInt32(argument.integer);
    case 'l': return argument.kind == ScriptArgument::Kind::kInteger;
    case 'd': return argument.kind != ScriptArgument::Kind::kString;
    case 's': return argument.kind == ScriptArgument::Kind::kString;
    default: return false;
  }
}

bool SignatureMatches(const char* argumentList, const std::vector<ScriptArgument>& arguments) {
  if (argumentList == nullptr || argumentList[0] == '\0') return arguments.empty();
  const char* types = argumentList + 1;
  if (std::strlen(types) != arguments.size()) return false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (!ArgumentMatches(types[i], arguments[i])) return false;
  }
  return true;
}

std::string DescribeArguments(const std::vector<ScriptArgument>& arguments) {
  std::string text = "(";
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text += ", ";
    const ScriptArgument& a = arguments[i];
    text += a.kind == ScriptArgument::Kind::kString ? "string"
            : a.kind == ScriptArgument::Kind::kReal ? "real"
            : FitsInt32(a.integer)                  ? "int"
                                                    : "64-bit int";
  }
  return text + ")";
}

// The entry a script call reaches, found as the editor finds it: the first entry with the name,
// then it and the entries directly after it whose name is null (or the very same pointer) are its
// overloads, tried by their argument lists. A later entry that repeats the name text is never
// reached. Null, with the reason in error, when no function has the name or no overload takes the
// call's arguments; the reason lists what the filter offers.
const ScriptFunctionDef* FindOverload(const ScriptFunctionDef* list, const ScriptCall& call,
                                      std::string& error) {
  const ScriptFunctionDef* match = nullptr;
  std::string offered;
  std::string sameName;
  const char* groupName = nullptr;  // name of the overload group the entry belongs to
  bool inCalledGroup = false;
  bool calledGroupSeen = false;
  for (int i = 0; i < kMaxScriptFunctions; ++i) {
    const ScriptFunctionDef& entry = list[i];
    if (entry.func_ptr == nullptr && entry.name == nullptr && entry.arg_list == nullptr) break;
    if (entry.name != nullptr && entry.name != groupName) {
      groupName = entry.name;
      inCalledGroup = !calledGroupSeen && call.function == groupName;
      calledGroupSeen = calledGroupSeen || inCalledGroup;
    }
    if (groupName == nullptr) continue;
    offered += (offered.empty() ? "" : ", ") + (groupName + DescribeSignature(entry.arg_list));
    if (!inCalledGroup) continue;
    sameName += (sameName.empty() ? "" : " or ") + DescribeSignature(entry.arg_list);
    if (match == nullptr && entry.func_ptr != nullptr &&
        SignatureMatches(entry.arg_list, call.arguments)) {
      match = &entry;
    }
  }
  if (sameName.empty()) {
    error = "unknown script function " + call.function + "; the filter offers " +
            (offered.empty() ? std::string("none") : offered);
  } else if (match == nullptr) {
    error = call.function + " takes " + sameName + " but was given " +
            DescribeArguments(call.arguments);
  }
  return match;
}

// A call's arguments as the script values a function receives. A string value points at a
// pointer into `texts`, so the record must outlive the call.
struct ScriptValues {
  std::vector<std::string> texts;
  std::vector<char*> textPointers;
  std::vector<CScriptValue> values;
};

// Converts arguments that SignatureMatches has accepted for argumentList.
void ToScriptValues(const char* argumentList, const std::vector<ScriptArgument>& arguments,
                    ScriptValues& out) {
  const size_t count = arguments.size();
  out.texts.assign(count, std::string());
  out.textPointers.assign(count, nullptr);
  out.values.assign(count, CScriptValue{});
  for (size_t i = 0; i < count; ++i) {
    const ScriptArgument& a = arguments[i];
    CScriptValue& v = out.values[i];
    std::memset(&v, 0, sizeof v);
    switch (argumentList[i + 1]) {
      case 'i':
        v.type = CScriptValue::T_INT;
        v.u.i = static_cast<int>(a.integer);
        break;
      case 'l':
        v.type = CScriptValue::T_LONG;
        v.u.l = a.integer;
        break;
      case 'd':
        v.type = CScriptValue::T_DOUBLE;
        v.u.d = a.kind == ScriptArgument::Kind::kReal ? a.real : static_cast<double>(a.integer);
        break;
      default:  // 's'
        out.texts[i] = a.text;
        out.textPointers[i] = &out.texts[i][0];
        v.type = CScriptValue::T_STR;
        v.u.s = &out.textPointers[i];
        break;
    }
  }
}

// A small cursor over one script line.
class LineReader {
 public:
  explicit LineReader(const std::string& line) : line_(line) {}

  bool AtEnd() {
    SkipBlanks();
    return position_ >= line_.size();
  }
  bool Take(char c) {
    SkipBlanks();
    if (position_ < line_.size() && line_[position_] == c) {
      ++position_;
      return true;
    }
    return false;
  }
  bool Identifier(std::string& name) {
    SkipBlanks();
    const size_t start = position_;
    while (position_ < line_.size() && (IsLetter(line_[position_]) ||
                                        (position_ > start && IsDigit(line_[position_])))) {
      ++position_;
    }
    name = line_.substr(start, position_ - start);
    return !name.empty();
  }
  bool Index() {  // "[digits]" in an object prefix
    const size_t start = position_;
    if (!Take('[')) return true;
    SkipBlanks();
    const size_t digits = position_;
    while (position_ < line_.size() && IsDigit(line_[position_])) ++position_;
    if (position_ == digits || !Take(']')) {
      position_ = start;
      return false;
    }
    return true;
  }
  // A quoted string; the opening quote has been seen but not taken.
  bool String(std::string& text, std::string& problem) {
    ++position_;
    text.clear();
    while (position_ < line_.size() && line_[position_] != '"') {
      char c = line_[position_++];
      if (c == '\\') {
        if (position_ >= line_.size()) break;
        c = line_[position_++];
        if (c == 'n') c = '\n';
        else if (c == 't') c = '\t';
        else if (c == 'r') c = '\r';
      }
      text += c;
    }
    if (position_ >= line_.size()) {
      problem = "a string has no closing quote";
      return false;
    }
    ++position_;
    return true;
  }
  bool Number(ScriptArgument& argument, std::string& problem) {
    SkipBlanks();
    const char* start = line_.c_str() + position_;
    char* end = nullptr;
    const bool hex = (start[0] == '0' && (start[1] == 'x' || start[1] == 'X')) ||
                     ((start[0] == '-' || start[0] == '+') && start[1] == '0' &&
                      (start[2] == 'x' || start[2] == 'X'));
    errno = 0;
    const long long integer = std::strtoll(start, &end, hex ? 16 : 10);
    const bool integerRange = errno != ERANGE;
    const char* integerEnd = end;
    errno = 0;
    const double real = hex ? 0.0 : std::strtod(start, &end);
    if (!hex && end > integerEnd) {
      if (errno == ERANGE) {
        problem = "a number is out of range";
        return false;
      }
      argument = ScriptArgument{ScriptArgument::Kind::kReal, 0, real, {}};
      position_ += static_cast<size_t>(end - start);
      return true;
    }
    if (integerEnd == start) {
      problem = "an argument is neither a number nor a quoted string";
      return false;
    }
    if (!integerRange) {
      problem = "an integer is out of range";
      return false;
    }
    argument = ScriptArgument{ScriptArgument::Kind::kInteger, integer, 0.0, {}};
    position_ += static_cast<size_t>(integerEnd - start);
    return true;
  }
  char Peek() {
    SkipBlanks();
    return position_ < line_.size() ? line_[position_] : '\0';
  }
  size_t position() const { return position_; }

 private:
  static bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  }
  static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
  void SkipBlanks() {
    while (position_ < line_.size() && (line_[position_] == ' ' || line_[position_] == '\t' ||
                                        line_[position_] == '\r' || line_[position_] == '\n')) {
      ++position_;
    }
  }

  const std::string& line_;
  size_t position_ = 0;
};

bool ParseCall(LineReader& reader, ScriptCall& call, std::string& problem) {
  std::string name;
  for (;;) {
    if (!reader.Identifier(name)) {
      problem = "a function name was expected";
      return false;
    }
    if (!reader.Index()) {
      problem = "an object index must be a number in brackets";
      return false;
    }
    if (!reader.Take('.')) break;
  }
  call.function = name;
  call.arguments.clear();
  if (!reader.Take('(')) {
    problem = "'(' must follow " + name;
    return false;
  }
  if (reader.Take(')')) return true;
  for (;;) {
    ScriptArgument argument;
    if (reader.Peek() == '"') {
      argument.kind = ScriptArgument::Kind::kString;
      argument.integer = 0;
      argument.real = 0.0;
      if (!reader.String(argument.text, problem)) return false;
    } else if (!reader.Number(argument, problem)) {
      return false;
    }
    call.arguments.push_back(argument);
    if (reader.Take(')')) return true;
    if (!reader.Take(',')) {
      problem = "arguments of " + name + " must be separated by ',' and closed by ')'";
      return false;
    }
  }
}

}  // namespace

bool OpenModuleFile(const std::string& path, ModuleFile& module, std::string& error) {
  module = ModuleFile{};
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "cannot open module " + path + ": no such file";
    return false;
  }
  // No message boxes from the loader: a host reports a bad module in its own words.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  module.library = LoadLibraryA(path.c_str());
  if (module.library == nullptr) {
    const DWORD code = GetLastError();
    error = "cannot load module " + path + ": " + SystemMessage(code);
    if (code == ERROR_BAD_EXE_FORMAT) {
      error += sizeof(void*) == 4 ? "; this filterhost is 32-bit and loads only 32-bit modules"
                                  : "; this filterhost is 64-bit and loads only 64-bit modules";
    }
    return false;
  }
  module.init = EntryPoint<FilterModuleInitProc>(module.library, kInitName);
  module.deinit = EntryPoint<FilterModuleDeinitProc>(module.library, kDeinitName);
  if (module.init == nullptr || module.deinit == nullptr) {
    error = path + " is not a filter module: it does not export " +
            (module.init == nullptr ? kInitName : kDeinitName);
    CloseModuleFile(module);
    return false;
  }
  module.record.hInstModule = module.library;
  module.record.initProc = module.init;
  module.record.deinitProc = module.deinit;
  return true;
}

void CloseModuleFile(ModuleFile& module) {
  if (module.library != nullptr) FreeLibrary(module.library);
  module = ModuleFile{};
}

FilterHost::FilterHost()
    : services_{AddFilter,      RemoveFilter, AlwaysEnabled, AlwaysEnabled, NoVTables,
                OutOfMemory,    FilterError,  NoCpuFlags,    HostVersionInfo},
      modInit_{AddFilterMod} {}

FilterHost::~FilterHost() { Unload(); }

bool FilterHost::Load(const std::string& path, int version, std::string& error) {
  Unload();
  if (version < 1 || version > kNewestHostVersion) {
    error = "this host speaks interface versions 1 to " + std::to_string(kNewestHostVersion);
    return false;
  }
  version_ = version;
  if (!OpenModuleFile(path, module_, error)) return false;
  filterModInit_ = EntryPoint<FilterModModuleInitProc>(module_.library, kFilterModInitName);
  if (!Register(path, error)) {
    filters_.clear();
    storage_.clear();
    CloseModuleFile(module_);
    return false;
  }
  initialised_ = true;
  if (filters_.empty()) {
    error = path + " registered no filter";
    Unload();
    return false;
  }
  return true;
}

// The module entry the hosts of this version call, with the outputs preset as they preset them:
// their own version and the oldest they take.
bool FilterHost::Register(const std::string& path, std::string& error) {
  int written = version_;
  int compatible = 4;
  int modVersion = kHostFilterModVersion, modMin = kHostFilterModVersion;
  const bool filterMod = version_ >= kFilterModHostVersion && filterModInit_ != nullptr;
  registeringHost = this;
  const int result = filterMod ? filterModInit_(&module_.record, &modInit_, written, compatible,
                                                modVersion, modMin)
                               : module_.init(&module_.record, &services_, written, compatible);
  registeringHost = nullptr;
  const std::string entry = filterMod ? kFilterModInitName : kInitName;
  if (result != 0) {
    error = "registration failed: " + path + " returned " + std::to_string(result) + " from " +
            entry;
    return false;
  }
  if (compatible > version_ || written < 4) {
    error = path + " needs filter interface version " + std::to_string(compatible) +
            "; this host offers " + std::to_string(version_);
    return false;
  }
  if (filterMod && modMin > kHostFilterModVersion) {
    error = path + " needs FilterMod version " + std::to_string(modMin) + "; this host has " +
            std::to_string(kHostFilterModVersion);
    return false;
  }
  return true;
}

const FilterModDefinition* FilterHost::FilterModOf(const FilterDefinition* filter) const {
  for (const auto& r : storage_)
    if (&r->definition.base == filter && r->hasFm) return &r->fm;
  return nullptr;
}

void FilterHost::Unload() {
  if (initialised_) {
    registeringHost = this;
    module_.deinit(&module_.record, &services_);
    registeringHost = nullptr;
    initialised_ = false;
  }
  filters_.clear();
  storage_.clear();
  CloseModuleFile(module_);
}

FilterDefinition* FilterHost::AddFilter(FilterModule* module, FilterDefinition* definition,
                                        int length) {
  FilterHost* const host = registeringHost;
  if (host == nullptr) return nullptr;
  return host->Add(module, definition, length, nullptr, 0);
}

FilterDefinition* FilterHost::AddFilterMod(FilterModule* module, FilterDefinition* definition,
                                           int length, FilterModDefinition* fm, int fmLength) {
  FilterHost* const host = registeringHost;
  if (host == nullptr) return nullptr;
  return host->Add(module, definition, length, fm, fmLength);
}

FilterDefinition* FilterHost::Add(FilterModule* module, FilterDefinition* definition, int length,
                                  const FilterModDefinition* fm, int fmLength) {
  if (definition == nullptr || length <= 0) return nullptr;
  // A host copies as much of the definition as it knows into its own zeroed record: the original
  // record below 16, then up to the FilterMod pointer, then the whole newer record.
  const size_t known = version_ < kFormatsHostVersion      ? sizeof(FilterDefinition)
                       : version_ < kFilterModHostVersion ? offsetof(FilterDefinitionEx, fm)
                                                          : sizeof(FilterDefinitionEx);
  auto copy = std::make_unique<Registered>();
  std::memset(copy.get(), 0, sizeof(Registered));
  std::memcpy(&copy->definition, definition,
              static_cast<size_t>(length) < known ? static_cast<size_t>(length) : known);
  copy->definition.base.next = nullptr;
  copy->definition.base.prev = nullptr;
  copy->definition.base.module = module;
  if (fm != nullptr && fmLength > 0) {
    std::memcpy(&copy->fm, fm,
                static_cast<size_t>(fmLength) < sizeof(FilterModDefinition)
                    ? static_cast<size_t>(fmLength)
                    : sizeof(FilterModDefinition));
    copy->hasFm = true;
  }
  filters_.push_back(&copy->definition.base);
  storage_.push_back(std::move(copy));
  return filters_.back();
}

void FilterHost::RemoveFilter(FilterDefinition* definition) {
  FilterHost* const host = registeringHost;
  if (host == nullptr) return;
  for (size_t i = 0; i < host->filters_.size(); ++i) {
    if (host->filters_[i] == definition) {
      host->filters_.erase(host->filters_.begin() + static_cast<ptrdiff_t>(i));
      return;
    }
  }
}

bool ParseScriptLine(const std::string& line, std::vector<ScriptCall>& calls,
                     std::string& error) {
  calls.clear();
  LineReader reader(line);
  while (!reader.AtEnd()) {
    ScriptCall call;
    std::string problem;
    if (!ParseCall(reader, call, problem)) {
      error = "malformed script line '" + line + "': " + problem + " (at column " +
              std::to_string(reader.position() + 1) + ")";
      return false;
    }
    calls.push_back(call);
    if (!reader.Take(';') && !reader.AtEnd()) {
      error = "malformed script line '" + line + "': calls must be separated by ';' (at column " +
              std::to_string(reader.position() + 1) + ")";
      return false;
    }
  }
  if (calls.empty()) {
    error = "empty script line";
    return false;
  }
  return true;
}

std::string DescribeSignature(const char* argumentList) {
  std::string text = "(";
  if (argumentList != nullptr && argumentList[0] != '\0') {
    for (const char* c = argumentList + 1; *c != '\0'; ++c) {
      if (c != argumentList + 1) text += ", ";
      const char* const name = ArgumentTypeName(*c);
      text += name != nullptr ? name : std::string("unsupported type '") + *c + "'";
    }
  }
  return text + ")";
}

bool FrameBuffersFit(int32_t width, int32_t height) {
  if (!FrameSizeFits(width, height)) return false;
  const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
  size_t pixels = 0, sourcePixels = 0, destinationPixels = 0, total = 0;
  return !__builtin_mul_overflow(w, h, &pixels) &&
         !__builtin_mul_overflow(w + kSourcePadding, h, &sourcePixels) &&
         !__builtin_mul_overflow(w + kDestinationPadding, h, &destinationPixels) &&
         AddBytes(total, pixels, 4) &&             // the frame as read
         AddBytes(total, pixels, 3) &&             // its RGB copy, decoded or for the writer
         AddBytes(total, sourcePixels, 4) &&       // the source bitmap
         AddBytes(total, destinationPixels, 4) &&  // the destination bitmap
         AddBytes(total, pixels, 4);               // the filtered frame copied out
}

std::string FramesBeyondAddressSpaceMessage(int32_t width, int32_t height) {
  return "frames of " + FrameSizeText(width, height) + " need more memory than a " +
         std::to_string(sizeof(void*) * 8) + "-bit filterhost can address";
}

std::string NoMemoryForFramesMessage(int32_t width, int32_t height) {
  return "not enough memory for frames of " + FrameSizeText(width, height);
}

bool HostBitmap::Allocate(int32_t width, int32_t height, int32_t paddingPixels) {
  const int32_t pitchPixels = width + paddingPixels;
  bitmap = VFBitmap{};
  storage.clear();
  if (!Resized(storage, static_cast<size_t>(pitchPixels) * static_cast<size_t>(height))) {
    return false;
  }
  std::fill(storage.begin(), storage.end(), kFreshPixel);
  bitmap.data = storage.data();
  bitmap.depth = 32;
  bitmap.w = width;
  bitmap.h = height;
  bitmap.pitch = static_cast<ptrdiff_t>(pitchPixels) * 4;
  bitmap.modulo = static_cast<ptrdiff_t>(paddingPixels) * 4;
  bitmap.size = bitmap.pitch * height;
  return true;
}

uint32_t* HostBitmap::Row(int32_t top) {
  const ptrdiff_t pitchPixels = bitmap.pitch / 4;
  return bitmap.data + (bitmap.h - 1 - top) * pitchPixels;
}

FilterInstance::FilterInstance() = default;

FilterInstance::~FilterInstance() {
  if (activation_.base.filter == nullptr) return;
  if (started_ && activation_.base.filter->endProc != nullptr) {
    activation_.base.filter->endProc(&activation_.base, services_);
  }
  if (activation_.base.filter->deinitProc != nullptr) {
    activation_.base.filter->deinitProc(&activation_.base, services_);
  }
}

bool FilterInstance::Create(FilterDefinition* filter, const FilterFunctions* services,
                            std::string& error) {
  if (filter->inst_data_size < 0 || filter->inst_data_size > kMaxInstanceBytes) {
    error = "the filter asks for an instance block of " + std::to_string(filter->inst_data_size) +
            " bytes";
    return false;
  }
  services_ = services;
  block_.clear();
  if (!Resized(block_, static_cast<size_t>(filter->inst_data_size))) {
    error = "not enough memory for an instance block of " +
            std::to_string(filter->inst_data_size) + " bytes";
    return false;
  }
  std::fill(block_.begin(), block_.end(), kFreshBlockByte);
  activation_ = FilterActivationEx{};
  activation_.base.filter = filter;
  activation_.base.filter_data = block_.empty() ? nullptr : block_.data();
  activation_.base.src = &source_.bitmap;
  activation_.base.dst = &destination_.bitmap;
  if (filter->initProc != nullptr) {
    const int result = filter->initProc(&activation_.base, services_);
    if (result != 0) {
      error = "initProc failed (returned " + std::to_string(result) + ")";
      activation_.base.filter = nullptr;
      return false;
    }
  }
  return true;
}

bool FilterInstance::Create(const FilterHost& host, FilterDefinition* filter,
                            std::string& error) {
  if (!Create(filter, &host.services(), error)) return false;
  newer_ = host.version() >= kFormatsHostVersion;
  const FilterModDefinition* fm = host.FilterModOf(filter);
  if (fm == nullptr) return true;
  // The FilterMod activation, which the hosts fill once an activateProc is registered for an
  // instance with data.
  fm_ = *fm;
  fma_ = FilterModActivation{};
  fma_.filter = filter;
  fma_.filterMod = &fm_;
  fma_.filter_data = activation_.base.filter_data;
  fma_.fmpixmap = &pixmapServices_;
  if (fm_.activateProc != nullptr && filter->inst_data_size > 0) {
    activation_.fma = &fma_;
    fm_.activateProc(&fma_, services_);
  }
  return true;
}

PixmapInfo* FilterInstance::PixmapServices::GetPixmapInfo(const Pixmap* pixmap) {
  if (pixmap == &owner_.sourceFrame_.view.pixmap.base) return &owner_.sourceFrame_.view.info;
  if (owner_.outputView_ != nullptr && pixmap == &owner_.outputView_->pixmap.base)
    return &owner_.outputView_->info;
  return nullptr;
}

bool FilterInstance::Call(const ScriptCall& call, std::string& error) {
  const CScriptObject* const object = activation_.base.filter->script_obj;
  if (object == nullptr || object->func_list == nullptr) {
    error = "the filter has no script functions, so " + call.function + "(...) cannot run";
    return false;
  }
  const ScriptFunctionDef* const match = FindOverload(object->func_list, call, error);
  if (match == nullptr) return false;
  ScriptValues argv;
  ToScriptValues(match->arg_list, call.arguments, argv);
  match->func_ptr(nullptr, &activation_.base, argv.values.empty() ? nullptr : argv.values.data(),
                  static_cast<int>(argv.values.size()));
  return true;
}

bool FilterInstance::RunScriptLine(const std::string& line, std::string& error) {
  std::vector<ScriptCall> calls;
  if (!ParseScriptLine(line, calls, error)) return false;
  for (const ScriptCall& call : calls) {
    if (!Call(call, error)) return false;
  }
  return true;
}

bool FilterInstance::Description(std::string& text, std::string& error) {
  text.clear();
  const FilterDefinition& filter = *activation_.base.filter;
  const bool second = filter.stringProc2 != nullptr;
  // From 16 on the hosts drop stringProc.
  if (!second && (newer_ || filter.stringProc == nullptr)) return true;
  // The editors hand stringProc2 2,048 bytes; stringProc is told no length.
  constexpr int kSecondLength = 2048;
  std::vector<char> buffer(second ? kSecondLength : kDescriptionBufferLength, kUnwrittenByte);
  buffer[0] = '\0';
  if (second) filter.stringProc2(&activation_.base, services_, buffer.data(), kSecondLength);
  else filter.stringProc(&activation_.base, services_, buffer.data());
  if (std::memchr(buffer.data(), '\0', buffer.size()) == nullptr) {
    error = std::string(second ? "stringProc2" : "stringProc") +
            " wrote no terminated text within " + std::to_string(buffer.size()) + " bytes";
    return false;
  }
  text = buffer.data();
  return true;
}

bool FilterInstance::SavedScript(std::string& text, bool& saved, std::string& error) {
  text.clear();
  saved = false;
  if (activation_.base.filter->fssProc == nullptr) return true;
  std::vector<char> buffer(kScriptBufferLength, kUnwrittenByte);
  if (!activation_.base.filter->fssProc(&activation_.base, services_, buffer.data(),
                                        kScriptBufferLength)) {
    return true;
  }
  if (std::memchr(buffer.data(), '\0', buffer.size()) == nullptr) {
    error = "fssProc wrote no terminated text within " + std::to_string(kScriptBufferLength) +
            " bytes";
    return false;
  }
  text = buffer.data();
  saved = true;
  return true;
}

bool FilterInstance::Start(int32_t width, int32_t height, std::string& error) {
  if (newer_) {
    FrameShape shape{kFormatXrgb8888, width, height, {}};
    shape.info.ref_r = shape.info.ref_g = shape.info.ref_b = shape.info.ref_a = 255;
    bool refused = false;
    if (StartFrames(shape, refused, error)) return true;
    if (refused) error = "the filter takes no 32-bit RGB frames (" + error + ")";
    return false;
  }
  if (!FrameSizeFits(width, height)) {
    error = "frame size " + std::to_string(width) + "x" + std::to_string(height) +
            " is outside 1.." + std::to_string(kMaxFrameSide) + " on either side";
    return false;
  }
  if (!FrameBuffersFit(width, height)) {
    error = FramesBeyondAddressSpaceMessage(width, height);
    return false;
  }
  if (!source_.Allocate(width, height, kSourcePadding) ||
      !destination_.Allocate(width, height, kDestinationPadding)) {
    error = NoMemoryForFramesMessage(width, height);
    return false;
  }
  activation_.base.src = &source_.bitmap;
  activation_.base.dst = &destination_.bitmap;

  const int32_t flags = activation_.base.filter->paramProc != nullptr
                            ? activation_.base.filter->paramProc(&activation_.base, services_)
                            : 0;
  const int32_t outWidth = destination_.bitmap.w;
  const int32_t outHeight = destination_.bitmap.h;
  if ((flags & 1) != 0) {
    if (outWidth != width || outHeight != height) {
      if (!FrameSizeFits(outWidth, outHeight)) {
        error = "paramProc asked for an output frame of " + std::to_string(outWidth) + "x" +
                std::to_string(outHeight);
        return false;
      }
      // Every buffer counted at the larger of the two sizes: a bound, not the exact sum.
      const int32_t boundWidth = std::max(width, outWidth);
      const int32_t boundHeight = std::max(height, outHeight);
      if (!FrameBuffersFit(boundWidth, boundHeight)) {
        error = "paramProc asked for an output frame of " + FrameSizeText(outWidth, outHeight) +
                ": " + FramesBeyondAddressSpaceMessage(boundWidth, boundHeight);
        return false;
      }
      if (!destination_.Allocate(outWidth, outHeight, kDestinationPadding)) {
        error = NoMemoryForFramesMessage(outWidth, outHeight);
        return false;
      }
    }
    output_ = &destination_;
  } else {
    // Without a separate destination the filter works on the source frame in place.
    if (outWidth != width || outHeight != height) {
      error = "paramProc changed the frame size but asked for no separate output buffer";
      return false;
    }
    activation_.base.dst = &source_.bitmap;
    output_ = &source_;
  }

  return CallStart(error);
}

bool FilterInstance::CallStart(std::string& error) {
  if (activation_.base.filter->startProc != nullptr) {
    const int result = activation_.base.filter->startProc(&activation_.base, services_);
    if (result != 0) {
      error = "startProc failed (returned " + std::to_string(result) + ")";
      return false;
    }
  }
  started_ = true;
  return true;
}

bool FilterInstance::Run(const uint32_t* pixels, std::vector<uint32_t>& result,
                         std::string& error) {
  if (newer_) {
    // Top-down 32-bit pixels are a raw XRGB8888 frame.
    std::vector<unsigned char> out;
    if (!RunFrame(reinterpret_cast<const unsigned char*>(pixels), out, error)) return false;
    if (!Resized(result, out.size() / 4)) {
      error = NoMemoryForFramesMessage(shape_.width, shape_.height);
      return false;
    }
    std::memcpy(result.data(), out.data(), out.size());
    return true;
  }
  const int32_t width = source_.bitmap.w;
  const int32_t height = source_.bitmap.h;
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(source_.Row(y), pixels + static_cast<size_t>(y) * width,
                static_cast<size_t>(width) * 4);
  }
  if (activation_.base.filter->runProc != nullptr) {
    const int code = activation_.base.filter->runProc(&activation_.base, services_);
    if (code != 0) {
      error = "runProc failed (returned " + std::to_string(code) + ")";
      return false;
    }
  }
  const int32_t outWidth = output_->bitmap.w;
  const int32_t outHeight = output_->bitmap.h;
  if (!Resized(result, static_cast<size_t>(outWidth) * static_cast<size_t>(outHeight))) {
    error = NoMemoryForFramesMessage(outWidth, outHeight);
    return false;
  }
  for (int32_t y = 0; y < outHeight; ++y) {
    std::memcpy(result.data() + static_cast<size_t>(y) * outWidth, output_->Row(y),
                static_cast<size_t>(outWidth) * 4);
  }
  return true;
}

bool FilterInstance::End(std::string& error) {
  if (!started_) return true;
  started_ = false;
  if (activation_.base.filter->endProc != nullptr) {
    const int result = activation_.base.filter->endProc(&activation_.base, services_);
    if (result != 0) {
      error = "endProc failed (returned " + std::to_string(result) + ")";
      return false;
    }
  }
  return true;
}

bool FilterInstance::StartFrames(const FrameShape& shape, bool& refused, std::string& error) {
  refused = false;
  if (!newer_) {
    error = "frames other than 32-bit RGB need a host of interface " +
            std::to_string(kFormatsHostVersion) + " or later";
    return false;
  }
  if (!FrameSizeFits(shape.width, shape.height)) {
    error = "frame size " + FrameSizeText(shape.width, shape.height) + " is outside 1.." +
            std::to_string(kMaxFrameSide) + " on either side";
    return false;
  }
  shape_ = shape;
  if (!FrameBytesFit(shape)) {
    error = FramesBeyondAddressSpaceMessage(shape.width, shape.height);
    return false;
  }
  if (!sourceFrame_.Allocate(shape, 4 * kSourcePadding)) {
    error = NoMemoryForFramesMessage(shape.width, shape.height);
    return false;
  }
  // paramProc sees layouts only. dst starts as a copy of src whose pitch the host has yet to
  // choose (0).
  inPlaceView_ = sourceFrame_.view;
  inPlaceView_.layout.base.pitch = 0;
  inPlaceView_.Bind(nullptr);
  sourceFrame_.view.Bind(nullptr);
  activation_.base.src = &sourceFrame_.view.bitmap.base;
  activation_.base.dst = &inPlaceView_.bitmap.base;
  sourceFrames_[0] = &sourceFrame_.view.bitmap;
  outputFrames_[0] = &inPlaceView_.bitmap;
  activation_.mSourceFrameCount = 1;
  activation_.mpSourceFrames = sourceFrames_;
  activation_.mpOutputFrames = outputFrames_;
  const auto paramProc = [&](int32_t code) {
    sourceFrame_.view.layout.base.format = inPlaceView_.layout.base.format = code;
    return activation_.base.filter->paramProc != nullptr
               ? activation_.base.filter->paramProc(&activation_.base, services_)
               : 0;
  };
  // The editors probe with a code no format has; a filter that takes it fails the start.
  if (paramProc(kFormatProbe) != kParamNotSupported) {
    error = "paramProc took the format code " + std::to_string(kFormatProbe) +
            ", which no format has";
    return false;
  }
  frameFlags_ = paramProc(shape.code);
  if (frameFlags_ == kParamNotSupported) {
    refused = true;
    error = "paramProc refused format " + std::to_string(shape.code);
    return false;
  }
  if ((frameFlags_ & kParamAltFormats) == 0 || (frameFlags_ & 0x2) != 0) {
    error = "paramProc's answer (" + std::to_string(frameFlags_) +
            ") lacks the flag that it reads the format, or asks for the last frame: the newer "
            "hosts fail the start";
    return false;
  }
  if ((frameFlags_ & kParamSwapBuffers) != 0) {
    // A destination of its own, laid out by the host, in the same format and size.
    if (!destinationFrame_.Allocate(shape, 4 * kDestinationPadding)) {
      error = NoMemoryForFramesMessage(shape.width, shape.height);
      return false;
    }
    outputView_ = &destinationFrame_.view;
  } else {
    // In place: both share the source's buffer, each with its own layout; the filter gives dst
    // the source's layout to work where the pixels lie.
    const PixelFormat format = DescribePixelFormat(shape.code);
    const size_t compared = format.alpha ? sizeof(PixmapLayoutAlpha) : sizeof(PixmapLayout);
    if (std::memcmp(&inPlaceView_.layout, &sourceFrame_.view.layout, compared) != 0) {
      error = "paramProc asked to work in place without giving the destination the source's "
              "layout";
      return false;
    }
    outputView_ = &inPlaceView_;
  }
  outputView_->info = sourceFrame_.view.info;
  activation_.base.dst = &outputView_->bitmap.base;
  outputFrames_[0] = &outputView_->bitmap;
  // No buffers are bound for startProc: it has no pixels to look at.
  outputView_->Bind(nullptr);
  if (!CallStart(error)) return false;
  sourceFrame_.view.Bind(sourceFrame_.buffer.data());
  outputView_->Bind(outputView_ == &inPlaceView_ ? sourceFrame_.buffer.data()
                                                 : destinationFrame_.buffer.data());
  return true;
}

bool FilterInstance::RunFrame(const unsigned char* raw, std::vector<unsigned char>& result,
                              std::string& error) {
  if (!started_ || outputView_ == nullptr) {
    error = "no frames were started";
    return false;
  }
  ReadRawFrame(raw, sourceFrame_.view);
  // The destination's info is the source's, as the editors pass it on before each frame.
  outputView_->info = sourceFrame_.view.info;
  if (activation_.base.filter->runProc != nullptr) {
    const int code = activation_.base.filter->runProc(&activation_.base, services_);
    if (code != 0) {
      error = "runProc failed (returned " + std::to_string(code) + ")";
      return false;
    }
  }
  if (!Resized(result, static_cast<size_t>(RawFrameBytes(shape_)))) {
    error = NoMemoryForFramesMessage(shape_.width, shape_.height);
    return false;
  }
  WriteRawFrame(*outputView_, result.data());
  return true;
}
