// The module's face towards the host: the exported entries, the filter it registers and the small
// callbacks no other file owns. A host that offers an interface version below 16 gets the filter
// exactly as it has always been registered; a newer host gets the newer interface, which reads
// each frame's format. The definition tables at the bottom wire every callback to the code that
// owns it.
#include <cstring>

#include "editor/config_dialog.h"
#include "engine/curve_data.h"
#include "engine/frame_map_paths.h"
#include "host/activation.h"
#include "host/config_script.h"
#include "host/filter_abi.h"
#include "host/frame_formats.h"
#include "host/instance_block.h"
#include "host/short_description.h"

namespace {

constexpr int kModuleVersion = 8;
constexpr int kModuleCompatibleVersion = 4;
// From interface 16 on, hosts null stringProc and copyProc, hand frames over as pixmaps and fail
// the start unless paramProc reads the format. Interfaces 12 to 15 are registered as below 12:
// what their hosts do is not known well enough to rely on.
constexpr int kFormatsVersion = 16;
constexpr int kNewestVersion = 20;
// The FilterMod activation's filter and pixmap services are filled from this declared version on.
constexpr int kFrameInfoVersion = 18;
// FilterMod versions: the pixmap services came with 2, the info's colour modes with 5.
constexpr int kFilterModPixmapVersion = 2;
constexpr int kFilterModColourModesVersion = 5;
constexpr int kFilterModNewest = 6;

// What addFilter returned, kept for module exit; null while nothing is registered.
FilterDefinition* registeredDefinition = nullptr;

// The settings lead the block, so InstanceOf (activation.h) reads them straight from it.
InstanceBlock& BlockOf(const FilterActivation* fa) {
  return *static_cast<InstanceBlock*>(fa->filter_data);
}

int InitProc(FilterActivation* fa, const FilterFunctions*) {
  InitCurveData(InstanceOf(fa));
  InitFrameTables(BlockOf(fa).tables);
  return 0;
}

int RunProc(const FilterActivation* fa, const FilterFunctions*) {
  const VFBitmap& src = *fa->src;
  const VFBitmap& dst = *fa->dst;
  const FrameSpan frame{src.data, src.modulo, dst.data, dst.modulo, src.w, src.h};
  InstanceBlock& block = BlockOf(fa);
  UpdateFrameTables(block.settings, block.tables);
  return MapPlannedFrame(block.tables.plan, frame);
}

int32_t ParamProc(FilterActivation*, const FilterFunctions*) { return kParamSwapBuffers; }

int StartProc(FilterActivation* fa, const FilterFunctions*) {
  UpdateFrameTables(InstanceOf(fa), BlockOf(fa).tables);
  return 0;
}

// Memory taken for the frames goes back when they end: one host never tells an instance it goes.
int EndProc(FilterActivation* fa, const FilterFunctions*) {
  ReleaseDeepTables(BlockOf(fa).tables);
  return 0;
}

// The host does not say how long its buffer is; WriteShortDescription keeps within
// kMaxShortDescription bytes.
void StringProc(const FilterActivation* fa, const FilterFunctions*, char* out) {
  WriteShortDescription(InstanceOf(fa), out);
}

// --- The newer interface -------------------------------------------------------------------

const HostAbilities& AbilitiesOf(const FilterActivation* fa) {
  return *static_cast<const HostAbilities*>(fa->filter->private_data);
}

// The frame's info (its samples' reference value and range), where the host gives one.
const PixmapInfo* InfoOf(const FilterActivation* fa, const Pixmap* pixmap) {
  if (!AbilitiesOf(fa).frameInfo || pixmap == nullptr) return nullptr;
  const FilterModActivation* fma = reinterpret_cast<const FilterActivationEx*>(fa)->fma;
  if (fma == nullptr || fma->fmpixmap == nullptr) return nullptr;
  return fma->fmpixmap->GetPixmapInfo(pixmap);
}

// The frame's pixmaps: the newer hosts' bitmaps carry them after the old fields.
int RunProcFormats(const FilterActivation* fa, const FilterFunctions*) {
  if (fa->src == nullptr || fa->dst == nullptr) return 1;
  const VFBitmapEx& src = *reinterpret_cast<const VFBitmapEx*>(fa->src);
  const VFBitmapEx& dst = *reinterpret_cast<const VFBitmapEx*>(fa->dst);
  return MapPixmapFrame(BlockOf(fa), src.mpPixmap, dst.mpPixmap, InfoOf(fa, src.mpPixmap),
                        AbilitiesOf(fa).colourModes);
}

int32_t ParamProcFormats(FilterActivation* fa, const FilterFunctions*) {
  return ChooseFrameFormat(BlockOf(fa), reinterpret_cast<const VFBitmapEx*>(fa->src),
                           reinterpret_cast<VFBitmapEx*>(fa->dst));
}

int StartProcFormats(FilterActivation* fa, const FilterFunctions*) {
  return PrepareFrameTables(BlockOf(fa));
}

// The newer hosts say when an instance goes; the script host never does, and EndProc has
// released the memory already.
void DeinitProc(FilterActivation* fa, const FilterFunctions*) {
  ReleaseDeepTables(BlockOf(fa).tables);
}

// The host says how long its buffer is; a text that does not fit is cut short, terminated.
void StringProc2(const FilterActivation* fa, const FilterFunctions*, char* out, int maxLength) {
  if (out == nullptr || maxLength <= 0) return;
  char text[kMaxShortDescription];
  WriteShortDescription(InstanceOf(fa), text);
  const size_t length = std::strlen(text);
  const size_t kept = length < static_cast<size_t>(maxLength) ? length : maxLength - 1;
  std::memcpy(out, text, kept);
  out[kept] = '\0';
}

// A copy gets the settings and the 8-bit tables as they are, and no memory of the original's.
void CopyProc2(FilterActivation* from, const FilterFunctions*, void* newBlock, FilterActivation*,
               const FilterFunctions*) {
  std::memcpy(newBlock, from->filter_data, sizeof(InstanceBlock));
  ReleaseDeepTables(static_cast<InstanceBlock*>(newBlock)->tables);
}

// Registered so that the hosts fill the activation's FilterMod record; nothing to do here.
void ActivateProc(FilterModActivation*, const FilterFunctions*) {}

// An overload follows its first entry at once, with a null name: the host looks for the name
// once and then tries the entries directly after it by their argument lists.
ScriptFunctionDef scriptFunctions[] = {
    {ScriptConfig, "Config", "0is"},
    {ScriptConfigCurves, nullptr, "0issssi"},
    {ScriptConfigWithTarget, nullptr, "0issssii"},
    {nullptr, nullptr, nullptr},
};

CScriptObject scriptObject = {nullptr, scriptFunctions, nullptr};

constexpr HostAbilities kPixmapsOnly = {false, false};
constexpr HostAbilities kFrameInfo = {true, false};
constexpr HostAbilities kFrameInfoWithModes = {true, true};

int Min(int a, int b) { return a < b ? a : b; }

// Defined at the bottom of the file, where the whole face of the module can be read at once.
FilterDefinitionEx FormatsDefinition(const HostAbilities& abilities, FilterModDefinition* fm);

}  // namespace

extern FilterDefinition filterDefinition;
extern FilterModDefinition filterModDefinition;

extern "C" __declspec(dllexport) int VirtualdubFilterModuleInit2(FilterModule* module,
                                                                 const FilterFunctions* ff,
                                                                 int& version, int& compatible) {
  const int offered = version;
  if (offered < kFormatsVersion) {
    registeredDefinition =
        ff->addFilter(module, &filterDefinition, static_cast<int>(sizeof(FilterDefinition)));
    if (registeredDefinition == nullptr) return 1;
    version = kModuleVersion;
    compatible = kModuleCompatibleVersion;
    return 0;
  }
  // Hosts copy the definition they are handed, so one built on the stack serves.
  FilterDefinitionEx definition = FormatsDefinition(kPixmapsOnly, nullptr);
  registeredDefinition =
      ff->addFilter(module, &definition.base, static_cast<int>(sizeof(FilterDefinitionEx)));
  if (registeredDefinition == nullptr) return 1;
  version = Min(offered, kNewestVersion);
  compatible = kFormatsVersion;
  return 0;
}

// The hosts that know the FilterMod extension call this instead of the entry above. Below
// interface 16 the filter is registered as it always was, without the extension.
extern "C" __declspec(dllexport) int FilterModModuleInit(FilterModule* module,
                                                         const FilterModInit* fmInit,
                                                         int& version, int& compatible,
                                                         int& modVersion, int& modMin) {
  const int offered = version;
  const int offeredMod = modVersion;
  if (offered < kFormatsVersion) {
    registeredDefinition = fmInit->addFilter(
        module, &filterDefinition, static_cast<int>(sizeof(FilterDefinition)), nullptr, 0);
    if (registeredDefinition == nullptr) return 1;
    version = kModuleVersion;
    compatible = kModuleCompatibleVersion;
    return 0;
  }
  const int declared = Min(offered, kNewestVersion);
  const bool frameInfo = declared >= kFrameInfoVersion && offeredMod >= kFilterModPixmapVersion;
  const HostAbilities& abilities = !frameInfo ? kPixmapsOnly
                                   : offeredMod >= kFilterModColourModesVersion
                                       ? kFrameInfoWithModes
                                       : kFrameInfo;
  FilterDefinitionEx definition = FormatsDefinition(abilities, &filterModDefinition);
  registeredDefinition = fmInit->addFilter(
      module, &definition.base, static_cast<int>(sizeof(FilterDefinitionEx)),
      &filterModDefinition, static_cast<int>(sizeof(FilterModDefinition)));
  if (registeredDefinition == nullptr) return 1;
  version = declared;
  compatible = kFormatsVersion;
  modVersion = Min(offeredMod, kFilterModNewest);
  modMin = 0;  // every part of the extension past the activation is looked for before it is used
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

// The filter as a host below interface 16 sees it. The host copies it at registration and fills
// next, prev and module in its copy.
FilterDefinition filterDefinition = {
    nullptr,                    // next: the host's list
    nullptr,                    // prev: the host's list
    nullptr,                    // module: filled in the host's copy
    "tonarc",                   // name
    "Adjust Color Curve.",      // desc
    "tonarc contributors",      // maker
    nullptr,                    // private_data
    sizeof(InstanceBlock),      // inst_data_size
    InitProc,                   // initProc
    nullptr,                    // deinitProc: these hosts hand over 8-bit RGB only, for which
                                // the block owns nothing
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

// The FilterMod record beside the newer definition. One host keeps its address, so it is static.
FilterModDefinition filterModDefinition = {
    ActivateProc,  // activateProc
    nullptr,       // paramProc: none after paramProc
};

namespace {

// The filter as a host of interface 16 and later sees it: the same filter, reading each frame's
// format; `abilities` says what its host hands over beyond the pixmaps.
FilterDefinitionEx FormatsDefinition(const HostAbilities& abilities, FilterModDefinition* fm) {
  return FilterDefinitionEx{
      {
          nullptr,                                   // next: the host's list
          nullptr,                                   // prev: the host's list
          nullptr,                                   // module: filled in the host's copy
          "tonarc",                                  // name
          "Adjust Color Curve.",                     // desc
          "tonarc contributors",                     // maker
          const_cast<HostAbilities*>(&abilities),    // private_data: read by the callbacks
          sizeof(InstanceBlock),                     // inst_data_size
          InitProc,                                  // initProc
          DeinitProc,                                // deinitProc
          RunProcFormats,                            // runProc
          ParamProcFormats,                          // paramProc
          ConfigProc,                                // configProc
          nullptr,                                   // stringProc: not called from 16 on
          StartProcFormats,                          // startProc
          EndProc,                                   // endProc
          &scriptObject,                             // script_obj
          FssProc,                                   // fssProc
          StringProc2,                               // stringProc2
          nullptr,                                   // serializeProc
          nullptr,                                   // deserializeProc
          nullptr,                                   // copyProc: not called from 16 on
      },
      nullptr,    // prefetchProc
      CopyProc2,  // copyProc2
      nullptr,    // prefetchProc2
      nullptr,    // eventProc
      nullptr,    // accelRunProc
      0,          // mSourceCountLowMinus1: one input
      0,          // mSourceCountHighMinus1
      nullptr,    // staticAbout
      nullptr,    // staticConfigure
      fm,         // fm
  };
}

}  // namespace
