// filterhost --configure end to end: the real module's dialog opened by filterhost in a process of
// its own, on this program's desktop, driven from here through its windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "editor/resource.h"
#include "tools/filterhost/picture_io.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// A window of the child that shows up within a few seconds, or null (also when the child ends
// first).
HWND WaitForWindow(HANDLE child, const char* cls, const char* title) {
  for (int i = 0; i < 400; ++i) {
    HWND found = FindWindowA(cls, title);
    if (found != nullptr && IsWindowVisible(found)) return found;
    if (WaitForSingleObject(child, 25) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// One argument as the child's C runtime splits it back out (no backslashes in ours).
std::string Quoted(const std::string& argument) {
  std::string quoted = "\"";
  for (const char c : argument) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
  return quoted + "\"";
}

// A message handled by the child before this returns (or after five seconds of waiting).
void SendToChild(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR unused;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_BLOCK, 5000, &unused);
}

struct HostRun {
  DWORD status = 1;
  std::string out;
};

// Starts filterhost with --configure on the sample picture, lets `drive` work the dialog (given
// the child process too), and waits for the program to end.
HostRun ConfigureWithFilterhost(const std::string& script, const std::string& png,
                                const std::function<void(HWND, HANDLE)>& drive) {
  HostRun run;
  DeleteFileA(png.c_str());  // a picture from an earlier run must not pass for this one's
  const std::string outPath = "configure_stdout.tmp";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  // The child must open its windows on this program's own desktop.
  char desktop[128] = {};
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, desktop,
                            sizeof desktop, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out;
  startup.hStdError = out;
  std::string line = std::string("\"") + TONARC_FILTERHOST_PATH + "\" \"" + TONARC_MODULE_PATH +
                     "\" --configure --sample -o " + png + " -s " + Quoted(script);
  std::vector<char> mutableLine(line.begin(), line.end());
  mutableLine.push_back('\0');
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &process)) {
    ADD_FAILURE() << "cannot start " << line;
    CloseHandle(out);
    return run;
  }
  HWND dialog = WaitForWindow(process.hProcess, "#32770", "Filter: Tonarc");
  if (dialog == nullptr) {
    ADD_FAILURE() << "filterhost opened no dialog";
  } else {
    drive(dialog, process.hProcess);
  }
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "filterhost did not end";
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
  }
  GetExitCodeProcess(process.hProcess, &run.status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(out);
  run.out = ReadFile(outPath);
  return run;
}

// Columns of the curve view's second row from the bottom in the histogram's colour, read from the
// screen (the child draws into its own window): the sample picture's levels behind the grid.
int HistogramColumns(HWND view) {
  RECT r;
  GetClientRect(view, &r);
  POINT row = {0, r.bottom - 2};
  ClientToScreen(view, &row);
  HDC screen = GetDC(nullptr);
  int count = 0;
  for (int x = 0; x < r.right; ++x) {
    count += GetPixel(screen, row.x + x, row.y) == RGB(192, 192, 192);
  }
  ReleaseDC(nullptr, screen);
  return count;
}

TEST(FilterhostConfigure, PreviewDragAndApply) {
  bool previewShown = false, previewHidden = false;
  int histogramBefore = -1, histogramShown = 0;
  RECT previewClient = {};
  int32_t expectX = -1, expectY = -1;
  const HostRun run = ConfigureWithFilterhost("Config(2,\"\")", "configured.png",
                                              [&](HWND dialog, HANDLE child) {
    HWND button = GetDlgItem(dialog, IDC_PREVIEW);
    EXPECT_TRUE(IsWindowEnabled(button)) << "filterhost offers a preview";
    histogramBefore = HistogramColumns(GetDlgItem(dialog, IDC_CURVE_VIEW));
    SendToChild(button, BM_CLICK, 0, 0);
    HWND preview = WaitForWindow(child, "filterhost preview", nullptr);
    previewShown = preview != nullptr;
    // Shown, the preview tells the dialog, which samples the picture and draws its histogram.
    for (int i = 0; i < 100 && histogramShown == 0; ++i) {
      SendToChild(dialog, WM_NULL, 0, 0);
      histogramShown = HistogramColumns(GetDlgItem(dialog, IDC_CURVE_VIEW));
      if (histogramShown == 0) Sleep(20);
    }
    if (preview != nullptr) GetClientRect(preview, &previewClient);

    // A press a quarter into the view from its top-left corner, then the release.
    RECT view;
    GetClientRect(GetDlgItem(dialog, IDC_CURVE_VIEW), &view);
    POINT origin = {0, 0};
    MapWindowPoints(GetDlgItem(dialog, IDC_CURVE_VIEW), dialog, &origin, 1);
    const int mx = origin.x + view.right / 4, my = origin.y + view.bottom / 4;
    expectX = 256 * (mx - origin.x) / view.right;
    expectY = 256 * (view.bottom + origin.y - my) / view.bottom;
    SendToChild(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(mx, my));
    SendToChild(dialog, WM_LBUTTONUP, 0, MAKELPARAM(mx, my));

    SendToChild(button, BM_CLICK, 0, 0);
    previewHidden = preview != nullptr && !IsWindowVisible(preview);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  });
  EXPECT_EQ(run.status, 0u) << run.out;
  EXPECT_TRUE(previewShown);
  EXPECT_TRUE(previewHidden);
  EXPECT_EQ(histogramBefore, 0);
  EXPECT_GT(histogramShown, 20) << "the sample picture's histogram";
  EXPECT_EQ(previewClient.right, 512) << "the sample picture, unscaled";
  EXPECT_EQ(previewClient.bottom, 256);
  char saved[64];
  std::snprintf(saved, sizeof saved, "script: Config(2,\"%02x%02x\")", expectX, expectY);
  EXPECT_NE(run.out.find(saved), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("description: (MODE = Green)"), std::string::npos) << run.out;
  // The picture written after Apply: the sample picture, its green channel through the new curve.
  Picture written;
  std::string error;
  ASSERT_TRUE(ReadPicture("configured.png", written, error)) << error;
  const Picture sample = SamplePicture();
  ASSERT_EQ(written.pixels.size(), sample.pixels.size());
  EXPECT_NE(written.pixels, sample.pixels);
}

TEST(FilterhostConfigure, CancelKeepsTheScriptSettings) {
  bool added = false;
  const HostRun run = ConfigureWithFilterhost("Config(1,\"8040\")", "cancelled.png",
                                              [&](HWND dialog, HANDLE) {
    SendToChild(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendToChild(dialog, WM_LBUTTONUP, 0, MAKELPARAM(30, 30));
    // The press added a point: it is the current one.
    char text[16] = {};
    SendMessageA(GetDlgItem(dialog, IDC_POINT_INPUT), WM_GETTEXT, sizeof text,
                 reinterpret_cast<LPARAM>(text));
    added = text[0] != '\0';
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  EXPECT_TRUE(added);
  EXPECT_EQ(run.status, 0u) << run.out;
  EXPECT_NE(run.out.find("script: Config(1,\"8040\")"), std::string::npos) << run.out;
}

}  // namespace
