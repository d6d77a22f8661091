// Registration by the interface version the host offers: below 16 the filter as it always was
// (registration_test.cpp), from 16 the newer interface through either module entry, and what a
// newer host relies on in it: the short description through stringProc2, copies through
// copyProc2, the FilterMod record with its activateProc.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/curve_data.h"
#include "host/instance_block.h"
#include "tests/win/module_test_support.h"
#include "tools/filterhost/module_host.h"

namespace {

struct Registration {
  int length = 0;
  FilterDefinitionEx passed{};  // as much of the handed definition as `length` covers
  const FilterModDefinition* fm = nullptr;
  int fmLength = 0;
  FilterDefinitionEx hostCopy{};
};
Registration registration;

FilterDefinition* Record(FilterDefinition* definition, int length) {
  registration.length = length;
  std::memset(&registration.passed, 0, sizeof registration.passed);
  const size_t copied = length < static_cast<int>(sizeof(FilterDefinitionEx))
                            ? static_cast<size_t>(length)
                            : sizeof(FilterDefinitionEx);
  std::memcpy(&registration.passed, definition, copied);
  std::memcpy(&registration.hostCopy, &registration.passed, sizeof registration.passed);
  return &registration.hostCopy.base;
}

FilterDefinition* RecordingAddFilter(FilterModule*, FilterDefinition* definition, int length) {
  return Record(definition, length);
}

FilterDefinition* RecordingFilterModAddFilter(FilterModule*, FilterDefinition* definition,
                                              int length, FilterModDefinition* fm, int fmLength) {
  registration.fm = fm;
  registration.fmLength = fmLength;
  return Record(definition, length);
}

void IgnoreRemove(FilterDefinition*) {}

class HostVersions : public ::testing::Test {
 protected:
  void SetUp() override {
    registration = Registration{};
    services_.addFilter = RecordingAddFilter;
    services_.removeFilter = IgnoreRemove;
    fmInit_.addFilter = RecordingFilterModAddFilter;
    std::string error;
    ASSERT_TRUE(OpenModuleFile(ModulePath(), module_, error)) << error;
    filterModInit_ = reinterpret_cast<FilterModModuleInitProc>(reinterpret_cast<void (*)()>(
        GetProcAddress(module_.library, "FilterModModuleInit")));
    ASSERT_NE(filterModInit_, nullptr);
  }
  void TearDown() override { CloseModuleFile(module_); }

  // An instance block made the way a host makes one: initProc on fresh bytes.
  std::vector<unsigned char> NewInstance(FilterActivation& fa) {
    const FilterDefinition& d = registration.hostCopy.base;
    std::vector<unsigned char> block(static_cast<size_t>(d.inst_data_size), 0xCD);
    fa = FilterActivation{};
    fa.filter = &registration.hostCopy.base;
    fa.filter_data = block.data();
    EXPECT_EQ(d.initProc(&fa, &services_), 0);
    return block;
  }

  ModuleFile module_;
  FilterFunctions services_{};
  FilterModInit fmInit_{};
  FilterModModuleInitProc filterModInit_ = nullptr;
};

constexpr int kOriginalLength = static_cast<int>(sizeof(FilterDefinition));
constexpr int kNewerLength = static_cast<int>(sizeof(FilterDefinitionEx));

TEST_F(HostVersions, EachEntryRegistersByTheOfferedVersion) {
  struct Case {
    bool filterMod;
    int offered, offeredMod;
    int version, compatible, modVersion, length;
  };
  const Case cases[] = {
      {false, 8, 0, 8, 4, 0, kOriginalLength},      {false, 15, 0, 8, 4, 0, kOriginalLength},
      {false, 16, 0, 16, 16, 0, kNewerLength},      {false, 17, 0, 17, 16, 0, kNewerLength},
      {false, 20, 0, 20, 16, 0, kNewerLength},      {false, 25, 0, 20, 16, 0, kNewerLength},
      {true, 11, 6, 8, 4, 6, kOriginalLength},      {true, 15, 6, 8, 4, 6, kOriginalLength},
      {true, 20, 6, 20, 16, 6, kNewerLength},       {true, 20, 9, 20, 16, 6, kNewerLength},
      {true, 18, 4, 18, 16, 4, kNewerLength},
  };
  for (const Case& c : cases) {
    registration = Registration{};
    int version = c.offered, compatible = 4, modVersion = c.offeredMod, modMin = c.offeredMod;
    const int result = c.filterMod ? filterModInit_(&module_.record, &fmInit_, version, compatible,
                                                    modVersion, modMin)
                                   : module_.init(&module_.record, &services_, version, compatible);
    const std::string what = (c.filterMod ? "FilterMod " : "") + std::to_string(c.offered);
    EXPECT_EQ(result, 0) << what;
    EXPECT_EQ(version, c.version) << what;
    EXPECT_EQ(compatible, c.compatible) << what;
    EXPECT_LE(compatible, c.offered) << what;
    EXPECT_EQ(registration.length, c.length) << what;
    const FilterDefinition& d = registration.passed.base;
    EXPECT_STREQ(d.name, "tonarc") << what;
    EXPECT_EQ(d.inst_data_size, static_cast<int32_t>(sizeof(InstanceBlock))) << what;
    if (c.filterMod) {
      EXPECT_EQ(modVersion, c.modVersion) << what;
      EXPECT_LE(modMin, 6) << what;
    }
    if (c.length == kOriginalLength) {
      // The original definition: the hosts' own short description and no FilterMod record.
      EXPECT_NE(d.stringProc, nullptr) << what;
      EXPECT_EQ(d.stringProc2, nullptr) << what;
      EXPECT_EQ(registration.fm, nullptr) << what;
      EXPECT_EQ(registration.fmLength, 0) << what;
      continue;
    }
    // From 16 on the hosts drop stringProc and copyProc: the newer entries must be there.
    EXPECT_NE(d.stringProc2, nullptr) << what;
    EXPECT_NE(registration.passed.copyProc2, nullptr) << what;
    EXPECT_EQ(registration.passed.mSourceCountLowMinus1, 0) << what;
    EXPECT_EQ(registration.passed.mSourceCountHighMinus1, 0) << what;
    if (!c.filterMod) {
      EXPECT_EQ(registration.passed.fm, nullptr) << what;
      continue;
    }
    // One host keeps the record's address, another copies it; either way it is the same record
    // as the definition names, with an activateProc (without one the activation's FilterMod
    // record is never filled) and no second paramProc.
    ASSERT_NE(registration.fm, nullptr) << what;
    EXPECT_EQ(registration.passed.fm, registration.fm) << what;
    EXPECT_EQ(registration.fmLength, static_cast<int>(sizeof(FilterModDefinition))) << what;
    EXPECT_NE(registration.fm->activateProc, nullptr) << what;
    EXPECT_EQ(registration.fm->paramProc, nullptr) << what;
  }
}

TEST_F(HostVersions, StringProc2KeepsWithinTheHostsLength) {
  int version = 20, compatible = 4;
  ASSERT_EQ(module_.init(&module_.record, &services_, version, compatible), 0);
  FilterActivation fa;
  std::vector<unsigned char> block = NewInstance(fa);
  const FilterStringProc2 describe = registration.hostCopy.base.stringProc2;
  const std::string full = "(MODE = RGB)";
  for (const int length : {2048, 13, 12, 5, 1}) {
    std::string out(64, '#');
    describe(&fa, &services_, &out[0], length);
    const std::string expected = full.substr(0, static_cast<size_t>(length - 1));
    EXPECT_EQ(std::string(out.c_str()), expected) << length;
    for (size_t i = expected.size() + 1; i < out.size(); ++i) ASSERT_EQ(out[i], '#') << length;
  }
  std::string untouched(8, '#');
  describe(&fa, &services_, &untouched[0], 0);
  EXPECT_EQ(untouched, std::string(8, '#'));
}

// A copy gets the settings, and none of the memory the original holds for 16-bit frames: each
// frees only its own.
TEST_F(HostVersions, CopyProc2GivesTheCopyTheSettingsAndNoneOfTheMemory) {
  int version = 17, compatible = 4;
  ASSERT_EQ(module_.init(&module_.record, &services_, version, compatible), 0);
  const FilterDefinition& d = registration.hostCopy.base;
  FilterActivation from, to;
  std::vector<unsigned char> original = NewInstance(from);
  InstanceBlock& block = *reinterpret_cast<InstanceBlock*>(original.data());
  block.settings.mode = kModeGreen;
  block.settings.target = kTargetLuma709;
  for (int i = 0; i < kLutSize; ++i) block.settings.lut[i] = 255 - i;
  // Frames of 16-bit luma agreed and started: the original now holds their tables.
  PixmapLayout layout{};
  layout.format = 61;
  layout.w = layout.h = 16;
  layout.pitch = 32;
  PixmapLayout dstLayout = layout;
  VFBitmapEx src{}, dst{};
  src.mpPixmapLayout = &layout;
  dst.mpPixmapLayout = &dstLayout;
  from.src = &src.base;
  from.dst = &dst.base;
  ASSERT_NE(d.paramProc(&from, &services_), kParamNotSupported);
  ASSERT_EQ(d.startProc(&from, &services_), 0);
  ASSERT_NE(block.tables.deep, nullptr);

  std::vector<unsigned char> copy(original.size(), 0xEE);
  to = from;
  to.filter_data = copy.data();
  registration.hostCopy.copyProc2(&from, &services_, copy.data(), &to, &services_);
  const InstanceBlock& copied = *reinterpret_cast<const InstanceBlock*>(copy.data());
  EXPECT_EQ(std::memcmp(&copied.settings, &block.settings, sizeof(CurveData)), 0);
  EXPECT_EQ(copied.tables.deep, nullptr);
  d.deinitProc(&to, &services_);
  d.deinitProc(&from, &services_);
  EXPECT_EQ(block.tables.deep, nullptr);
}

}  // namespace
