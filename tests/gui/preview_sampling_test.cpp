// filterhost's preview as a dialog sees it: samples of the current frame and the button callback.
#include "tools/filterhost/picture_preview.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int runs = 0;
int CountingRun(const FilterActivation*, const FilterFunctions*) {
  ++runs;
  return 0;
}

struct Sample {
  int calls = 0;
  int32_t frame = -1, frames = -1;
  std::vector<uint32_t> pixels;  // top row first, read by the bitmap's pitch
};

void TakeSample(void* frame, int32_t number, int32_t count, void* context) {
  Sample& sample = *static_cast<Sample*>(context);
  const VFBitmap& bitmap = *static_cast<const VFBitmap*>(frame);
  ++sample.calls;
  sample.frame = number;
  sample.frames = count;
  sample.pixels.clear();
  EXPECT_EQ(bitmap.modulo, bitmap.pitch - 4 * bitmap.w);
  for (int32_t y = bitmap.h - 1; y >= 0; --y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        reinterpret_cast<const char*>(bitmap.data) + y * bitmap.pitch);
    sample.pixels.insert(sample.pixels.end(), row, row + bitmap.w);
  }
}

void RecordShown(bool shown, void* context) {
  static_cast<std::vector<bool>*>(context)->push_back(shown);
}

TEST(PreviewSampling, SamplesThePictureOnlyWhileShownAndReportsEveryShowAndHide) {
  FilterDefinition filter{};
  filter.runProc = CountingRun;
  FilterInstance instance;
  std::string error;
  ASSERT_TRUE(instance.Create(&filter, nullptr, error)) << error;
  const Picture picture{3, 2, {0x010203, 0x040506, 0x070809, 0x0a0b0c, 0x0d0e0f, 0x101112}};
  PicturePreview preview(instance, picture);
  std::vector<bool> shown;
  preview.SetButtonCallback(RecordShown, &shown);
  Sample sample;

  EXPECT_FALSE(preview.SampleCurrentFrame()) << "no sample callback";
  preview.SetSampleCallback(TakeSample, &sample);
  EXPECT_FALSE(preview.SampleCurrentFrame()) << "preview hidden";
  EXPECT_EQ(sample.calls, 0);

  preview.Display(nullptr, true);
  const int runsBefore = runs;
  EXPECT_TRUE(preview.SampleCurrentFrame());
  EXPECT_EQ(sample.calls, 1);
  EXPECT_EQ(sample.pixels, picture.pixels);
  EXPECT_EQ(sample.frame, 0);
  EXPECT_EQ(sample.frames, 1);
  EXPECT_EQ(runs, runsBefore + 1) << "the preview is drawn again after the sample";

  preview.SetSampleCallback(nullptr, nullptr);
  EXPECT_FALSE(preview.SampleCurrentFrame());
  EXPECT_EQ(sample.calls, 1);

  preview.Toggle(nullptr);
  preview.Toggle(nullptr);
  preview.Close();
  EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false}));
}

}  // namespace
