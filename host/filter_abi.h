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
  FilterUnusedProc stringProc2;
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
#else
#error "unsupported pointer size"
#endif
static_assert(sizeof(IFilterPreview) == sizeof(void*), "IFilterPreview is its table pointer only");
