// The real tonarc.vdf, loaded with LoadLibrary and driven through its exports as a host drives
// it: registration, the definition it hands over, its script function and its callbacks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/curve_data.h"
#include "host/instance_block.h"
#include "host/short_description.h"
#include "tests/win/module_test_support.h"
#include "tools/filterhost/module_host.h"

namespace {

// Host services that record what the module hands to addFilter and removeFilter.
struct Registration {
  bool refuse = false;
  int addCalls = 0;
  FilterModule* module = nullptr;
  int length = 0;
  FilterDefinition passed{};          // the module's definition as it was handed over
  FilterDefinition hostCopy{};        // what addFilter returns: the host's own record
  std::vector<FilterDefinition*> removed;
};
Registration registration;

FilterDefinition* RecordingAddFilter(FilterModule* module, FilterDefinition* definition,
                                     int length) {
  ++registration.addCalls;
  registration.module = module;
  registration.length = length;
  std::memcpy(&registration.passed, definition, sizeof(FilterDefinition));
  return registration.refuse ? nullptr : &registration.hostCopy;
}

void RecordingRemoveFilter(FilterDefinition* definition) {
  registration.removed.push_back(definition);
}

class ModuleEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    registration = Registration{};
    services_ = FilterFunctions{};
    services_.addFilter = RecordingAddFilter;
    services_.removeFilter = RecordingRemoveFilter;
    std::string error;
    ASSERT_TRUE(OpenModuleFile(ModulePath(), module_, error)) << error;
  }
  void TearDown() override { CloseModuleFile(module_); }

  int Register(int& version, int& compatible) {
    return module_.init(&module_.record, &services_, version, compatible);
  }

  ModuleFile module_;
  FilterFunctions services_{};
};

TEST_F(ModuleEntries, ExportsAreUndecorated) {
  EXPECT_NE(GetProcAddress(module_.library, "VirtualdubFilterModuleInit2"), nullptr);
  EXPECT_NE(GetProcAddress(module_.library, "VirtualdubFilterModuleDeinit"), nullptr);
  for (const char* decorated :
       {"_VirtualdubFilterModuleInit2", "VirtualdubFilterModuleInit2@16",
        "_VirtualdubFilterModuleInit2@16", "_VirtualdubFilterModuleDeinit",
        "VirtualdubFilterModuleDeinit@8"}) {
    EXPECT_EQ(GetProcAddress(module_.library, decorated), nullptr) << decorated;
  }
}

// Hosts below interface 16 (the newer ones are in host_versions_test.cpp).
TEST_F(ModuleEntries, SuccessWritesEightAndFourWhateverTheHostPutThere) {
  for (const int before : {0, -1, 4, 8, 9, 12, 15}) {
    int version = before, compatible = before;
    registration.addCalls = 0;
    EXPECT_EQ(Register(version, compatible), 0) << before;
    EXPECT_EQ(version, 8) << before;
    EXPECT_EQ(compatible, 4) << before;
    EXPECT_EQ(registration.addCalls, 1);
    EXPECT_EQ(registration.module, &module_.record);
    EXPECT_EQ(registration.length, static_cast<int>(sizeof(FilterDefinition)));
  }
}

TEST_F(ModuleEntries, ExitRemovesExactlyWhatAddFilterReturned) {
  int version = 0, compatible = 0;
  ASSERT_EQ(Register(version, compatible), 0);
  module_.deinit(&module_.record, &services_);
  ASSERT_EQ(registration.removed.size(), 1u);
  EXPECT_EQ(registration.removed[0], &registration.hostCopy);
}

TEST_F(ModuleEntries, FailedAddFilterReturnsOneAndWritesNeitherOutput) {
  registration.refuse = true;
  int version = 77, compatible = -77;
  EXPECT_EQ(Register(version, compatible), 1);
  EXPECT_EQ(version, 77);
  EXPECT_EQ(compatible, -77);
  // Nothing was registered, so module exit has nothing to hand back.
  module_.deinit(&module_.record, &services_);
  EXPECT_TRUE(registration.removed.empty());
}

// What the host reads from the definition rather than calls: the names it lists, and the size of
// the block it allocates and copies byte for byte. Under this interface the block owns nothing
// (memory comes only with the newer hosts' deeper frames), so there is no copy or cleanup
// callback for the host to run on each copy. The callbacks themselves are tested through
// what they do.
TEST_F(ModuleEntries, DefinitionNamesTheFilterAndSizesItsBlock) {
  int version = 0, compatible = 0;
  ASSERT_EQ(Register(version, compatible), 0);
  const FilterDefinition& d = registration.passed;
  EXPECT_STREQ(d.name, "tonarc");
  EXPECT_STREQ(d.desc, "Adjust Color Curve.");
  // The settings, then the tables built from them.
  EXPECT_EQ(d.inst_data_size, static_cast<int32_t>(sizeof(InstanceBlock)));
  EXPECT_EQ(d.deinitProc, nullptr);
  EXPECT_EQ(d.copyProc, nullptr);
}

TEST_F(ModuleEntries, ScriptObjectHoldsConfigItsOverloadAndTheTerminator) {
  int version = 0, compatible = 0;
  ASSERT_EQ(Register(version, compatible), 0);
  const CScriptObject* const object = registration.passed.script_obj;
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Lookup, nullptr);
  EXPECT_EQ(object->obj_list, nullptr);
  const ScriptFunctionDef* const functions = object->func_list;
  ASSERT_NE(functions, nullptr);
  EXPECT_NE(functions[0].func_ptr, nullptr);
  EXPECT_STREQ(functions[0].name, "Config");
  EXPECT_STREQ(functions[0].arg_list, "0is");
  // The overloads follow at once with a null name, which is how the host finds them.
  const char* const overloads[] = {"0issssi", "0issssii"};
  for (int i = 1; i <= 2; ++i) {
    EXPECT_NE(functions[i].func_ptr, nullptr) << i;
    EXPECT_EQ(functions[i].name, nullptr) << i;
    EXPECT_STREQ(functions[i].arg_list, overloads[i - 1]);
  }
  EXPECT_EQ(functions[3].func_ptr, nullptr);
  EXPECT_EQ(functions[3].name, nullptr);
  EXPECT_EQ(functions[3].arg_list, nullptr);
}

// From here on the module is loaded through the shared host code, as filterhost loads it, by a
// host of the original interface (8) and by one of the last version before the newer interface
// (15): both see the filter as it always was.
class LoadedFilter : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(host_.Load(ModulePath(), GetParam(), error)) << error;
    ASSERT_EQ(host_.filters().size(), 1u);
    filter_ = host_.filters()[0];
  }

  void Create(FilterInstance& instance) {
    std::string error;
    ASSERT_TRUE(instance.Create(host_, filter_, error)) << error;
  }
  void Script(FilterInstance& instance, const std::string& line) {
    std::string error;
    ASSERT_TRUE(instance.RunScriptLine(line, error)) << error;
  }
  static std::string Description(FilterInstance& instance) {
    std::string text, error;
    EXPECT_TRUE(instance.Description(text, error)) << error;
    return text;
  }
  static std::string Saved(FilterInstance& instance) {
    std::string text, error;
    bool saved = false;
    EXPECT_TRUE(instance.SavedScript(text, saved, error)) << error;
    EXPECT_TRUE(saved);
    return text;
  }
  static const CurveData& Data(FilterInstance& instance) {
    return *reinterpret_cast<const CurveData*>(instance.block());
  }

  FilterHost host_;
  FilterDefinition* filter_ = nullptr;
};

TEST_P(LoadedFilter, NewInstanceIsTheIdentityInRgb) {
  FilterInstance instance;
  Create(instance);  // the block starts filled with 0xCD
  const CurveData& data = Data(instance);
  for (int i = 0; i < kLutSize; ++i) ASSERT_EQ(data.lut[i], i);
  for (const ControlPoint& p : data.points) {
    ASSERT_EQ(p.x, -1);
    ASSERT_EQ(p.y, -1);
  }
  EXPECT_EQ(data.mode, 0);
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(Description(instance), "(MODE = RGB)");
  EXPECT_EQ(Saved(instance), "Config(0,\"\")");
}

TEST_P(LoadedFilter, DescriptionNamesTheMode) {
  FilterInstance instance;
  Create(instance);
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "(MODE = RGB)"},   {1, "(MODE = Red)"}, {2, "(MODE = Green)"}, {3, "(MODE = Blue)"},
      {7, "(MODE = RGB)"},   {255, "(MODE = RGB)"}, {258, "(MODE = Green)"}};
  for (const auto& [mode, text] : cases) {
    Script(instance, "Config(" + std::to_string(mode) + ",\"\")");
    EXPECT_EQ(Description(instance), text) << mode;
  }
  // Channel curves in use and kinds other than smooth are named after the mode, briefly; a luma
  // target takes the mode's place.
  const std::vector<std::pair<std::string, std::string>> curves = {
      {"Config(0,\"\",\"80a0\",\"\",\"40c0\",4)", "(MODE = RGB, +R+B, monotone)"},
      {"Config(2,\"\",\"\",\"\",\"\",2)", "(MODE = Green, linear)"},
      {"Config(2,\"\",\"01\",\"02\",\"03\",129)", "(MODE = Green, +R+G+B, monotone/linear)"},
      {"Config(0,\"4034c0cc\",\"\",\"\",\"\",0,1)", "(MODE = Luma)"},
      {"Config(3,\"\",\"80a0\",\"\",\"\",1,2)", "(MODE = Luma 601, +R, monotone)"},
      {"Config(2,\"\",\"01\",\"02\",\"03\",129,2)",
       "(MODE = Luma 601, +R+G+B, monotone/linear)"},
      {"Config(2,\"\",\"\",\"\",\"\",0,3)", "(MODE = Green)"}};
  for (const auto& [line, text] : curves) {
    Script(instance, line);
    EXPECT_EQ(Description(instance), text) << line;
    EXPECT_LE(text.size() + 1, static_cast<size_t>(kMaxShortDescription));
  }
}

TEST_P(LoadedFilter, IntegerArgumentReadAsThirtyTwoOrSixtyFourBit) {
  FilterInstance instance;
  Create(instance);
  const ScriptFunctionPtr config = filter_->script_obj->func_list[0].func_ptr;
  char text[] = "80c8";
  char* textPointer = text;

  struct Case {
    CScriptValue::Type type;
    int64_t bits;
    int mode;
  };
  // A 32-bit int leaves whatever the host had in the union's upper half.
  for (const Case& c : {Case{CScriptValue::T_INT, 0x5A5A5A5A00000002LL, 2},
                        Case{CScriptValue::T_INT, 0x00000000FFFFFFFFLL, 255},
                        Case{CScriptValue::T_LONG, 3, 3}, Case{CScriptValue::T_LONG, -1, 255},
                        Case{CScriptValue::T_LONG, 258, 2}, Case{CScriptValue::T_LONG, -254, 2}}) {
    CScriptValue argv[2];
    std::memset(argv, 0, sizeof argv);
    argv[0].type = c.type;
    argv[0].u.l = c.bits;
    argv[1].type = CScriptValue::T_STR;
    argv[1].u.s = &textPointer;
    config(nullptr, &instance.activation(), argv, 2);
    EXPECT_EQ(Data(instance).mode, c.mode) << c.type << " " << c.bits;
    EXPECT_EQ(Data(instance).points[0].x, 128);
    EXPECT_EQ(Data(instance).points[0].y, 200);
  }
}

TEST_P(LoadedFilter, SmallCallbacksAnswerAsTheHostExpects) {
  FilterInstance instance;
  Create(instance);
  FilterActivation& fa = instance.activation();
  const FilterFunctions* const ff = &host_.services();
  EXPECT_EQ(filter_->paramProc(&fa, ff), 1);
  EXPECT_EQ(filter_->startProc(&fa, ff), 0);
  EXPECT_EQ(filter_->endProc(&fa, ff), 0);

  // A buffer too short for the text gets an empty text and false, and nothing past its length.
  char out[8];
  std::memset(out, '#', sizeof out);
  EXPECT_FALSE(filter_->fssProc(&fa, ff, out, 5));
  EXPECT_EQ(out[0], '\0');
  for (int i = 1; i < 8; ++i) EXPECT_EQ(out[i], '#');
}

TEST_P(LoadedFilter, RunMapsTheModesChannelsThroughTheTable) {
  FilterInstance instance;
  Create(instance);
  Script(instance, "Config(1,\"80c8\")");
  const CurveData& data = Data(instance);
  ASSERT_EQ(data.lut[128], 200);

  std::vector<uint32_t> frame = FrameOfEveryLevel(0xFF);
  std::vector<uint32_t> result;
  std::string error;
  ASSERT_TRUE(instance.Start(kLevelFrameWidth, kLevelFrameHeight, error)) << error;
  ASSERT_TRUE(instance.Run(frame.data(), result, error)) << error;
  ASSERT_TRUE(instance.End(error)) << error;
  ASSERT_EQ(result.size(), frame.size());
  for (size_t i = 0; i < frame.size(); ++i) {
    const uint32_t in = frame[i];
    const uint32_t red = static_cast<uint32_t>(data.lut[(in >> 16) & 0xFF]) & 0xFF;
    ASSERT_EQ(result[i], (red << 16) | (in & 0xFFFF)) << i;
  }
}

TEST_P(LoadedFilter, ByteCopiedInstanceKeepsWorking) {
  FilterInstance copy;
  Create(copy);
  std::string description, script, error;
  std::vector<uint32_t> frame = FrameOfEveryLevel(0), expected, result;
  {
    FilterInstance original;
    Create(original);
    Script(original, "Config(2,\"4020c0a0\")");
    description = Description(original);
    script = Saved(original);
    ASSERT_TRUE(original.Start(kLevelFrameWidth, kLevelFrameHeight, error)) << error;
    ASSERT_TRUE(original.Run(frame.data(), expected, error)) << error;
    ASSERT_TRUE(original.End(error)) << error;
    std::memcpy(copy.block(), original.block(), static_cast<size_t>(filter_->inst_data_size));
    std::memset(original.block(), 0xEE, static_cast<size_t>(filter_->inst_data_size));
  }
  EXPECT_EQ(Description(copy), "(MODE = Green)");
  EXPECT_EQ(Description(copy), description);
  EXPECT_EQ(Saved(copy), script);
  ASSERT_TRUE(copy.Start(kLevelFrameWidth, kLevelFrameHeight, error)) << error;
  ASSERT_TRUE(copy.Run(frame.data(), result, error)) << error;
  EXPECT_EQ(result, expected);
  EXPECT_NE(result, frame);  // the curve did change the green channel
}

INSTANTIATE_TEST_SUITE_P(OriginalHosts, LoadedFilter, ::testing::Values(8, 15),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "version" + std::to_string(info.param);
                         });

}  // namespace
