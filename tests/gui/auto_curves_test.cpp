// Auto contrast and Auto colour in the dialog: from a sampled frame of known levels to the
// settings line the host saves afterwards, and back with one Undo.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "host/config_script.h"
#include "tests/gui/dialog_harness.h"

namespace {

std::string ScriptOf(const CurveData& data) {
  char text[kMaxConfigScriptLength + 1];
  return WriteConfigScript(data, text, sizeof text) ? text : "(does not fit)";
}

// 1,000 pixels: half of them (40, 100, 200), half (60, 120, 180), or all grey 128.
struct LevelsFrame {
  explicit LevelsFrame(bool flat) : pixels(1000) {
    for (int i = 0; i < 1000; ++i) {
      pixels[i] = flat ? 0x808080u : i % 2 ? 0x3C78B4u : 0x2864C8u;
    }
    bitmap = gui::SampledFrame(pixels.data(), 100, 10, 100);
  }
  std::vector<uint32_t> pixels;
  VFBitmap bitmap;
};

// Each press is one edit: the line the host saves afterwards, and one Undo gives back the line
// before it. Levels that leave nothing to stretch change nothing, and a message box says why.
TEST(AutoCurves, FromTheSampledLevelsToTheSettingsLineAndBack) {
  const struct {
    const char* name;
    bool flat;
    int button;
    const char* line;  // null: the settings stay as they were
    std::vector<std::string> boxes;
  } cases[] = {
      // Red, green and blue together run from 40 to 200; the master goes on the channels in RGB.
      {"contrast", false, IDC_AUTO_CONTRAST, "Config(0,\"2800c8ff\",\"\",\"\",\"\",2)", {}},
      // Each channel on its own: red 40..60, green 100..120, blue 180..200; the master, its mode
      // and its target stay.
      {"colour", false, IDC_AUTO_COLOUR,
       "Config(2,\"80a0\",\"28003cff\",\"640078ff\",\"b400c8ff\",168,2)", {}},
      {"contrast of a flat frame", true, IDC_AUTO_CONTRAST, nullptr,
       {"Nearly every level in the frame is 128, so there is no range to stretch."}},
      {"colour of a flat frame", true, IDC_AUTO_COLOUR, nullptr,
       {"Each channel has nearly every level at one value, so there is no range to stretch."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CurveData data = Fresh();
    data.mode = kModeGreen;
    data.target = kTargetLuma601;
    data.points[0] = ControlPoint{0x80, 0xA0};
    RebuildAllCurves(data);
    const std::string before = ScriptOf(data);
    gui::OpenDialog dlg(data);
    EXPECT_FALSE(IsWindowEnabled(dlg.Item(c.button))) << "no frame sampled yet";
    dlg.Command(c.button);
    EXPECT_EQ(ScriptOf(data), before);

    LevelsFrame frame(c.flat);
    dlg.preview.frame = frame.bitmap;
    dlg.Command(IDC_PREVIEW);  // shown: the dialog samples the frame
    gui::PumpMessages();
    ASSERT_TRUE(IsWindowEnabled(dlg.Item(c.button)));
    const char* caption = c.button == IDC_AUTO_COLOUR ? "Auto colour" : "Auto contrast";
    dlg.preview.Clear();
    EXPECT_EQ(gui::AnsweringBoxes(caption, IDOK, [&] { dlg.Command(c.button); }), c.boxes);
    EXPECT_EQ(ScriptOf(data), c.line != nullptr ? c.line : before);
    EXPECT_EQ(dlg.preview.Count("RedoFrame"), c.line != nullptr ? 1 : 0);

    dlg.Command(IDC_UNDO);
    EXPECT_EQ(ScriptOf(data), before) << "one Undo";
  }
}

}  // namespace
