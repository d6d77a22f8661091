// The host's filter interface: the records and callback types that cross the border between the
// host and this module. Layouts follow the host's binary interface exactly (32-bit and 64-bit
// Windows; the native build mirrors 64-bit Windows so the same code can be tested on Linux).
// `long` in the host's headers is 32-bit on Windows and is declared as int32_t here.
#pragma once

#include <cstddef>
#include <cstdint>

// Window-system handles, declared as the platform headers do so that these records compile with
// or without them.
struct HWND__;
struct HINSTANCE__;
struct HDC__;

struct FilterModule;
struct FilterDefinition;
struct FilterActivation;
struct FilterFunctions;
struct CScriptObject;
struct CScriptValue;
class IScriptInterpreter;  // opaque: the module never calls it

// The host's preview window, called through its table of virtual functions (__thiscall on 32-bit).
// Exactly these twelve functions in this order: no destructor, no overloads, no data members.
class IFilterPreview {
 public:
  virtual void SetButtonCallback(void (*callback)(bool, void*), void* context) = 0;
  virtual void SetSampleCallback(void (*callback)(void*, int32_t, int32_t, void*),
                                 void* context) = 0;
  virtual bool isPreviewEnabled() = 0;
  virtual void Toggle(HWND__* parent) = 0;
  virtual void Display(HWND__* parent, bool show) = 0;
  virtual void RedoFrame() = 0;
  virtual void RedoSystem() = 0;
  virtual void UndoSystem() = 0;
  virtual void InitButton(HWND__* button) = 0;
  virtual void Close() = 0;
  virtual bool SampleCurrentFrame() = 0;
  virtual int32_t SampleFrames() = 0;
};

using FilterInitProc = int (*)(FilterActivation*, const FilterFunctions*);
using FilterDeinitProc = void (*)(FilterActivation*, const FilterFunctions*);
using FilterRunProc = int (*)(const FilterActivation*, const FilterFunctions*);
using FilterParamProc = int32_t (*)(FilterActivation*, const FilterFunctions*);
using FilterConfigProc = int (*)(FilterActivation*, const FilterFunctions*, HWND__* owner);
using FilterStringProc = void (*)(const FilterActivation*, const FilterFunctions*, char* out);
using FilterStartProc = int (*)(FilterActivation*, const FilterFunctions*);
using FilterEndProc = int (*)(FilterActivation*, const FilterFunctions*);
using FilterScriptStrProc = bool (*)(FilterActivation*, const FilterFunctions*, char* out,
                                     int length);
using FilterStringProc2 = void (*)(const FilterActivation*, const FilterFunctions*, char* out,
                                   int maxLength);
using FilterUnusedProc = void (*)();  // entries this module never fills

using FilterModuleInitProc = int (*)(FilterModule*, const FilterFunctions*, int& version,
                                     int& compatible);
using FilterModuleDeinitProc = void (*)(FilterModule*, const FilterFunctions*);

struct FilterModule {
  FilterModule* next;
  FilterModule* prev;
  HINSTANCE__* hInstModule;
  FilterModuleInitProc initProc;
  FilterModuleDeinitProc deinitProc;
};

// Version 8 layout of the definition; its sizeof is what the module passes to addFilter.
struct FilterDefinition {
  FilterDefinition* next;
  FilterDefinition* prev;
  FilterModule* module;
  const char* name;
  const char* desc;
  const char* maker;
  void* private_data;
  int32_t inst_data_size;
  FilterInitProc initProc;
  FilterDeinitProc deinitProc;
  FilterRunProc runProc;
  FilterParamProc paramProc;
  FilterConfigProc configProc;
  FilterStringProc stringProc;
  FilterStartProc startProc;
  FilterEndProc endProc;
  CScriptObject* script_obj;
  FilterScriptStrProc fssProc;
  FilterStringProc2 stringProc2;
  FilterUnusedProc serializeProc;
  FilterUnusedProc deserializeProc;
  FilterUnusedProc copyProc;
};

// Host-owned bitmap descriptor. It starts with the host's virtual-table pointer, which the module
// never touches.
struct VFBitmap {
  void* _vtable;
  uint32_t* data;
  uint32_t* palette;
  int32_t depth;
  int32_t w;
  int32_t h;
  ptrdiff_t pitch;
  ptrdiff_t modulo;
  ptrdiff_t size;
  ptrdiff_t offset;
  uint32_t dwFlags;
  HDC__* hdc;
};

// First argument of every callback. The host declares dst and src as references.
struct FilterActivation {
  FilterDefinition* filter;
  void* filter_data;
  VFBitmap* dst;
  VFBitmap* src;
  VFBitmap* reserved0;
  VFBitmap* last;
  uint32_t x1, y1, x2, y2;
  void* pfsi;
  IFilterPreview* ifp;
};

struct FilterFunctions {
  FilterDefinition* (*addFilter)(FilterModule*, FilterDefinition*, int length);
  void (*removeFilter)(FilterDefinition*);
  bool (*isFPUEnabled)();
  bool (*isMMXEnabled)();
  void (*InitVTables)(void*);
  void (*ExceptOutOfMemory)();
  void (*Except)(const char* format, ...);
  int32_t (*getCPUFlags)();
  int32_t (*getHostVersionInfo)(char* buffer, int length);
};

// Script records. A script function receives the interpreter, the instance's activation as its
// context, and the argument array.
using ScriptFunctionPtr = void (*)(IScriptInterpreter*, void* context, CScriptValue* argv,
                                   int argc);

struct ScriptFunctionDef {
  ScriptFunctionPtr func_ptr;
  const char* name;
  const char* arg_list;  // result type, then one character per argument
};

struct CScriptObject {
  void* Lookup;
  ScriptFunctionDef* func_list;
  void* obj_list;
};

struct CScriptValue {
  enum Type : int32_t {
    T_VOID = 0, T_INT = 1, T_PINT = 2, T_STR = 3, T_ARRAY = 4, T_OBJECT = 5,
    T_FNAME = 6, T_FUNCTION = 7, T_VARLV = 8, T_LONG = 9, T_DOUBLE = 10,
  };
  Type type;
  void* thisPtr;
  union {
    int i;
    char** s;
    int64_t l;
    double d;
  } u;

  // An integer may arrive as a 32-bit or a sign-extended 64-bit value: the low four bytes hold it
  // either way.
  int asInt() const { return u.i; }
  char** asString() const { return u.s; }
};

// ---- Records of the newer hosts (interface 16 and later, and the FilterMod extension) ----------
// Each extends an older record at its end, so the older record is its first member: a host that
// speaks an older interface hands over only the older part, and nothing past it may be read then.

// A frame's planes as runProc sees them: each plane's top row and the step to the next row down
// (negative when the rows are stored bottom-up). Planes 2 and 3 are chroma (or, in NV12, plane 2
// holds both); the alpha variant adds plane 4, valid for formats with alpha only.
struct Pixmap {
  void* data;
  const uint32_t* palette;
  int32_t w;
  int32_t h;
  ptrdiff_t pitch;
  int32_t format;
  void* data2;
  ptrdiff_t pitch2;
  void* data3;
  ptrdiff_t pitch3;
};
struct PixmapAlpha {
  Pixmap base;
  void* data4;
  ptrdiff_t pitch4;
};

// The same fields as paramProc sees them: the planes as offsets from the start of a buffer the
// host has yet to allocate (some hosts put addresses there instead).
struct PixmapLayout {
  ptrdiff_t data;
  const uint32_t* palette;
  int32_t w;
  int32_t h;
  ptrdiff_t pitch;
  int32_t format;
  ptrdiff_t data2;
  ptrdiff_t pitch2;
  ptrdiff_t data3;
  ptrdiff_t pitch3;
};
struct PixmapLayoutAlpha {
  PixmapLayout base;
  ptrdiff_t data4;
  ptrdiff_t pitch4;
};

// What the host says about a frame's samples. ref is the sample value that stands for 8-bit 255;
// the colour modes came with FilterMod version 5.
struct PixmapInfo {
  uint32_t ref_r;
  uint32_t ref_g;
  uint32_t ref_b;
  uint32_t ref_a;
  uint32_t transfer_type;  // 0 unknown, 1 gamma, 2 linear
  uint32_t alpha_type;     // 0 none, 1 mask, 2 premultiplied, 3 straight
  int64_t frame_num;
  int32_t colorSpaceMode;  // 0 none, 1 BT.601, 2 BT.709
  int32_t colorRangeMode;  // 0 none, 1 limited, 2 full
};

// The host's pixmap services, called through its table of virtual functions like IFilterPreview.
class IFilterModPixmap {
 public:
  virtual PixmapInfo* GetPixmapInfo(const Pixmap* pixmap) = 0;
  virtual uint64_t GetFormat_XRGB64() = 0;
};

// The bitmap descriptor of interface 12 and later: frame timing, the pixmap and its layout.
struct VFBitmapEx {
  VFBitmap base;
  uint32_t mFrameRateHi;
  uint32_t mFrameRateLo;
  int64_t mFrameCount;
  PixmapLayout* mpPixmapLayout;
  Pixmap* mpPixmap;
  uint32_t mAspectRatioHi;
  uint32_t mAspectRatioLo;
  int64_t mFrameNumber;
  int64_t mFrameTimestampStart;
  int64_t mFrameTimestampEnd;
  int64_t mCookie;
  uint32_t mVDXAHandle;
  uint32_t mBorderWidth;
  uint32_t mBorderHeight;
};

struct FilterModDefinition;
struct FilterModActivation;

// The activation of interface 16 and later. fma exists only in hosts that registered the module
// through FilterModModuleInit (the 1.10 editor's record ends before it).
struct FilterActivationEx {
  FilterActivation base;
  void* ifp2;
  uint32_t mSourceFrameCount;
  VFBitmapEx** mpSourceFrames;
  VFBitmapEx** mpOutputFrames;
  void* mpVDXA;
  uint32_t mSourceStreamCount;
  void** mpSourceStreams;
  FilterModActivation* fma;
};

struct FilterModActivation {
  FilterDefinition* filter;
  FilterModDefinition* filterMod;
  void* filter_data;
  void* fmpreview;
  void* fmtimeline;
  void* fmsystem;
  IFilterModPixmap* fmpixmap;
  void* fmproject;
};

using FilterActivateProc = void (*)(FilterModActivation*, const FilterFunctions*);
struct FilterModDefinition {
  FilterActivateProc activateProc;
  FilterParamProc paramProc;  // runs after each paramProc; its result is ignored
};

// Fills the whole of newBlock, the instance data of the copy `to`, from `from`.
using FilterCopyProc2 = void (*)(FilterActivation* from, const FilterFunctions*, void* newBlock,
                                 FilterActivation* to, const FilterFunctions*);

// The definition of interface 16 and later. The module hands its whole size to addFilter; hosts
// copy as much of it as they know.
struct FilterDefinitionEx {
  FilterDefinition base;
  FilterUnusedProc prefetchProc;
  FilterCopyProc2 copyProc2;
  FilterUnusedProc prefetchProc2;
  FilterUnusedProc eventProc;
  FilterUnusedProc accelRunProc;
  int32_t mSourceCountLowMinus1;   // 0 and 0: one input
  int32_t mSourceCountHighMinus1;
  FilterUnusedProc staticAbout;    // __stdcall in the host; never filled here
  FilterUnusedProc staticConfigure;
  FilterModDefinition* fm;
};

// FilterModModuleInit's host services: addFilter with the FilterMod record beside the definition.
struct FilterModInit {
  FilterDefinition* (*addFilter)(FilterModule*, FilterDefinition*, int length,
                                 FilterModDefinition*, int fmLength);
};

using FilterModModuleInitProc = int (*)(FilterModule*, const FilterModInit*, int& version,
                                        int& compatible, int& modVersion, int& modMin);

// paramProc's answer.
constexpr int32_t kParamSwapBuffers = 0x1;       // output in a buffer of its own
constexpr int32_t kParamAltFormats = 0x4;        // the filter reads the format (interface 16 on)
constexpr int32_t kParamPureTransform = 0x10;    // output a function of settings and source
constexpr int32_t kParamNotSupported = -1;       // 0xFFFFFFFF: this format is refused

// The layouts above must be the host's on every target. The native build uses the 64-bit one.
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FilterModule) == 20, "FilterModule layout");
static_assert(sizeof(FilterDefinition) == 88, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, inst_data_size) == 28, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, initProc) == 32, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, script_obj) == 64, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, fssProc) == 68, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, copyProc) == 84, "FilterDefinition layout");
static_assert(offsetof(VFBitmap, data) == 4, "VFBitmap layout");
static_assert(offsetof(VFBitmap, w) == 16, "VFBitmap layout");
static_assert(offsetof(VFBitmap, h) == 20, "VFBitmap layout");
static_assert(offsetof(VFBitmap, pitch) == 24, "VFBitmap layout");
static_assert(offsetof(VFBitmap, modulo) == 28, "VFBitmap layout");
static_assert(offsetof(VFBitmap, hdc) == 44, "VFBitmap layout");
static_assert(sizeof(VFBitmap) == 48, "VFBitmap layout");
static_assert(offsetof(FilterActivation, filter_data) == 4, "FilterActivation layout");
static_assert(offsetof(FilterActivation, dst) == 8, "FilterActivation layout");
static_assert(offsetof(FilterActivation, src) == 12, "FilterActivation layout");
static_assert(offsetof(FilterActivation, x1) == 24, "FilterActivation layout");
static_assert(offsetof(FilterActivation, pfsi) == 40, "FilterActivation layout");
static_assert(offsetof(FilterActivation, ifp) == 44, "FilterActivation layout");
static_assert(sizeof(FilterActivation) == 48, "FilterActivation layout");
static_assert(sizeof(FilterFunctions) == 36, "FilterFunctions layout");
static_assert(sizeof(ScriptFunctionDef) == 12, "ScriptFunctionDef layout");
static_assert(sizeof(CScriptObject) == 12, "CScriptObject layout");
static_assert(offsetof(CScriptValue, thisPtr) == 4, "CScriptValue layout");
static_assert(offsetof(CScriptValue, u) == 8, "CScriptValue layout");
static_assert(sizeof(CScriptValue) == 16, "CScriptValue layout");
static_assert(sizeof(FilterDefinitionEx) == 128, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, prefetchProc) == 88, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, copyProc2) == 92, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, mSourceCountLowMinus1) == 108,
              "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, staticAbout) == 116, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, fm) == 124, "FilterDefinitionEx layout");
static_assert(sizeof(FilterModDefinition) == 8, "FilterModDefinition layout");
static_assert(offsetof(FilterActivationEx, ifp2) == 48, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, mpSourceFrames) == 56, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, mSourceStreamCount) == 68, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, fma) == 76, "FilterActivationEx layout");
static_assert(sizeof(FilterActivationEx) == 80, "FilterActivationEx layout");
static_assert(offsetof(FilterModActivation, fmpixmap) == 24, "FilterModActivation layout");
static_assert(sizeof(FilterModActivation) == 32, "FilterModActivation layout");
static_assert(offsetof(VFBitmapEx, mFrameRateHi) == 48, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mFrameCount) == 56, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mpPixmapLayout) == 64, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mpPixmap) == 68, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mFrameNumber) == 80, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mCookie) == 104, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mBorderHeight) == 120, "VFBitmapEx layout");
static_assert(sizeof(VFBitmapEx) == 128, "VFBitmapEx layout");
static_assert(offsetof(Pixmap, w) == 8, "Pixmap layout");
static_assert(offsetof(Pixmap, pitch) == 16, "Pixmap layout");
static_assert(offsetof(Pixmap, format) == 20, "Pixmap layout");
static_assert(offsetof(Pixmap, data2) == 24, "Pixmap layout");
static_assert(offsetof(Pixmap, pitch3) == 36, "Pixmap layout");
static_assert(sizeof(Pixmap) == 40, "Pixmap layout");
static_assert(offsetof(PixmapAlpha, data4) == 40, "PixmapAlpha layout");
static_assert(sizeof(PixmapAlpha) == 48, "PixmapAlpha layout");
static_assert(sizeof(PixmapLayout) == 40, "PixmapLayout layout");
static_assert(sizeof(PixmapLayoutAlpha) == 48, "PixmapLayoutAlpha layout");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(FilterModule) == 40, "FilterModule layout");
static_assert(sizeof(FilterDefinition) == 176, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, inst_data_size) == 56, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, initProc) == 64, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, script_obj) == 128, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, fssProc) == 136, "FilterDefinition layout");
static_assert(offsetof(FilterDefinition, copyProc) == 168, "FilterDefinition layout");
static_assert(offsetof(VFBitmap, data) == 8, "VFBitmap layout");
static_assert(offsetof(VFBitmap, w) == 28, "VFBitmap layout");
static_assert(offsetof(VFBitmap, h) == 32, "VFBitmap layout");
static_assert(offsetof(VFBitmap, pitch) == 40, "VFBitmap layout");
static_assert(offsetof(VFBitmap, modulo) == 48, "VFBitmap layout");
static_assert(offsetof(VFBitmap, hdc) == 80, "VFBitmap layout");
static_assert(sizeof(VFBitmap) == 88, "VFBitmap layout");
static_assert(offsetof(FilterActivation, filter_data) == 8, "FilterActivation layout");
static_assert(offsetof(FilterActivation, dst) == 16, "FilterActivation layout");
static_assert(offsetof(FilterActivation, src) == 24, "FilterActivation layout");
static_assert(offsetof(FilterActivation, x1) == 48, "FilterActivation layout");
static_assert(offsetof(FilterActivation, pfsi) == 64, "FilterActivation layout");
static_assert(offsetof(FilterActivation, ifp) == 72, "FilterActivation layout");
static_assert(sizeof(FilterActivation) == 80, "FilterActivation layout");
static_assert(sizeof(FilterFunctions) == 72, "FilterFunctions layout");
static_assert(sizeof(ScriptFunctionDef) == 24, "ScriptFunctionDef layout");
static_assert(sizeof(CScriptObject) == 24, "CScriptObject layout");
static_assert(offsetof(CScriptValue, thisPtr) == 8, "CScriptValue layout");
static_assert(offsetof(CScriptValue, u) == 16, "CScriptValue layout");
static_assert(sizeof(CScriptValue) == 24, "CScriptValue layout");
static_assert(sizeof(FilterDefinitionEx) == 248, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, prefetchProc) == 176, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, copyProc2) == 184, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, mSourceCountLowMinus1) == 216,
              "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, staticAbout) == 224, "FilterDefinitionEx layout");
static_assert(offsetof(FilterDefinitionEx, fm) == 240, "FilterDefinitionEx layout");
static_assert(sizeof(FilterModDefinition) == 16, "FilterModDefinition layout");
static_assert(offsetof(FilterActivationEx, ifp2) == 80, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, mpSourceFrames) == 96, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, mSourceStreamCount) == 120, "FilterActivationEx layout");
static_assert(offsetof(FilterActivationEx, fma) == 136, "FilterActivationEx layout");
static_assert(sizeof(FilterActivationEx) == 144, "FilterActivationEx layout");
static_assert(offsetof(FilterModActivation, fmpixmap) == 48, "FilterModActivation layout");
static_assert(sizeof(FilterModActivation) == 64, "FilterModActivation layout");
static_assert(offsetof(VFBitmapEx, mFrameRateHi) == 88, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mFrameCount) == 96, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mpPixmapLayout) == 104, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mpPixmap) == 112, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mFrameNumber) == 128, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mCookie) == 152, "VFBitmapEx layout");
static_assert(offsetof(VFBitmapEx, mBorderHeight) == 168, "VFBitmapEx layout");
static_assert(sizeof(VFBitmapEx) == 176, "VFBitmapEx layout");
static_assert(offsetof(Pixmap, w) == 16, "Pixmap layout");
static_assert(offsetof(Pixmap, pitch) == 24, "Pixmap layout");
static_assert(offsetof(Pixmap, format) == 32, "Pixmap layout");
static_assert(offsetof(Pixmap, data2) == 40, "Pixmap layout");
static_assert(offsetof(Pixmap, pitch3) == 64, "Pixmap layout");
static_assert(sizeof(Pixmap) == 72, "Pixmap layout");
static_assert(offsetof(PixmapAlpha, data4) == 72, "PixmapAlpha layout");
static_assert(sizeof(PixmapAlpha) == 88, "PixmapAlpha layout");
static_assert(sizeof(PixmapLayout) == 72, "PixmapLayout layout");
static_assert(sizeof(PixmapLayoutAlpha) == 88, "PixmapLayoutAlpha layout");
#else
#error "unsupported pointer size"
#endif
static_assert(sizeof(IFilterPreview) == sizeof(void*), "IFilterPreview is its table pointer only");
static_assert(sizeof(IFilterModPixmap) == sizeof(void*),
              "IFilterModPixmap is its table pointer only");
static_assert(offsetof(PixmapInfo, frame_num) == 24, "PixmapInfo layout");
static_assert(offsetof(PixmapInfo, colorRangeMode) == 36, "PixmapInfo layout");
static_assert(sizeof(PixmapInfo) == 40, "PixmapInfo layout");
