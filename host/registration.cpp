// The module's face towards the host: the two exported entries, the one filter it registers and
// the small callbacks no other file owns. The definition table at the bottom wires every callback
// to the code that owns it.
#include "editor/config_dialog.h"
#include "engine/curve_data.h"
#include "engine/frame_map.h"
#include "host/activation.h"
#include "host/config_script.h"
#include "host/filter_abi.h"
#include "host/short_description.h"

namespace {

// The host's flag for a filter that writes into a separate destination buffer.
constexpr int32_t kParamSwapBuffers = 1;

constexpr int kModuleVersion = 8;
constexpr int kModuleCompatibleVersion = 4;

// What addFilter returned, kept for module exit; null while nothing is registered.
FilterDefinition* registeredDefinition = nullptr;

int InitProc(FilterActivation* fa, const FilterFunctions*) {
  InitCurveData(InstanceOf(fa));
  return 0;
}

int RunProc(const FilterActivation* fa, const FilterFunctions*) {
  const VFBitmap& src = *fa->src;
  const VFBitmap& dst = *fa->dst;
  const FrameSpan frame{src.data, src.modulo, dst.data, dst.modulo, src.w, src.h};
  return MapFrame(InstanceOf(fa), frame);
}

int32_t ParamProc(FilterActivation*, const FilterFunctions*) { return kParamSwapBuffers; }

int StartProc(FilterActivation*, const FilterFunctions*) { return 0; }

int EndProc(FilterActivation*, const FilterFunctions*) { return 0; }

// The host does not say how long its buffer is; WriteShortDescription keeps within
// kMaxShortDescription bytes.
void StringProc(const FilterActivation* fa, const FilterFunctions*, char* out) {
  WriteShortDescription(InstanceOf(fa), out);
}

// An overload follows its first entry at once, with a null name: the host looks for the name
// once and then tries the entries directly after it by their argument lists.
ScriptFunctionDef scriptFunctions[] = {
    {ScriptConfig, "Config", "0is"},
    {ScriptConfigCurves, nullptr, "0issssi"},
    {ScriptConfigWithTarget, nullptr, "0issssii"},
    {nullptr, nullptr, nullptr},
};

CScriptObject scriptObject = {nullptr, scriptFunctions, nullptr};

}  // namespace

// Defined at the bottom of the file, where the whole face of the module can be read at once.
extern FilterDefinition filterDefinition;

extern "C" __declspec(dllexport) int VirtualdubFilterModuleInit2(FilterModule* module,
                                                                 const FilterFunctions* ff,
                                                                 int& version, int& compatible) {
  registeredDefinition =
      ff->addFilter(module, &filterDefinition, static_cast<int>(sizeof(FilterDefinition)));
  if (registeredDefinition == nullptr) return 1;
  version = kModuleVersion;
  compatible = kModuleCompatibleVersion;
  return 0;
}

extern "C" __declspec(dllexport) void VirtualdubFilterModuleDeinit(FilterModule*,
                                                                   const FilterFunctions* ff) {
  // After a failed registration there is nothing to remove, and a null pointer is not the
  // host's to be handed.
  if (registeredDefinition == nullptr) return;
  ff->removeFilter(registeredDefinition);
  registeredDefinition = nullptr;
}

// The filter as the host sees it. The host copies it at registration and fills next, prev and
// module in its copy.
FilterDefinition filterDefinition = {
    nullptr,                    // next: the host's list
    nullptr,                    // prev: the host's list
    nullptr,                    // module: filled in the host's copy
    "tonarc",                   // name
    "Adjust Color Curve.",      // desc
    "tonarc contributors",      // maker
    nullptr,                    // private_data
    sizeof(CurveData),          // inst_data_size
    InitProc,                   // initProc
    nullptr,                    // deinitProc: CurveData owns nothing
    RunProc,                    // runProc
    ParamProc,                  // paramProc
    ConfigProc,                 // configProc
    StringProc,                 // stringProc
    StartProc,                  // startProc
    EndProc,                    // endProc
    &scriptObject,              // script_obj
    FssProc,                    // fssProc
    nullptr,                    // stringProc2
    nullptr,                    // serializeProc
    nullptr,                    // deserializeProc
    nullptr,                    // copyProc: the block may be copied byte for byte
};
