#include "tests/gui/dialog_harness.h"

#include <cstring>

namespace gui {

void PlaceClientArea(HWND control, int x, int y, int w, int h) {
  RECT window, client;
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  POINT origin = {0, 0};
  ClientToScreen(control, &origin);
  const int left = origin.x - window.left;
  const int top = origin.y - window.top;
  const int extraW = (window.right - window.left) - client.right;
  const int extraH = (window.bottom - window.top) - client.bottom;
  SetWindowPos(control, nullptr, x - left, y - top, w + extraW, h + extraH,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

COLORREF Pixel(HWND control, int x, int y) {
  HDC dc = GetDC(control);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(control, dc);
  return c;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

OpenDialog::OpenDialog(CurveData& curve, bool withPreview) : data(curve) {
  // What ConfigProc would have stored: the host's interface, or none.
  data.preview = withPreview ? &preview : nullptr;
  window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILTER_CONFIG),
                              nullptr, ConfigDlgProc, reinterpret_cast<LPARAM>(&data));
  if (window == nullptr) {
    ADD_FAILURE() << "the dialog could not be created";
    return;
  }
  Layout(256, 255, 15, 255, 256, 24);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  PumpMessages();
}

OpenDialog::~OpenDialog() {
  if (window != nullptr) DestroyWindow(window);
  PumpMessages();
}

void OpenDialog::Layout(int viewW, int viewH, int outW, int outH, int inW, int inH) {
  // Room for every layout the tests use, with the buttons left where the template puts them.
  RECT frame = {0, 0, 12 + viewW + 12 + outW + 160,
                12 + (viewH > outH ? viewH : outH) + 12 + inH + 12};
  AdjustWindowRectEx(&frame, GetWindowLongA(window, GWL_STYLE), FALSE,
                     GetWindowLongA(window, GWL_EXSTYLE));
  RECT current;
  GetWindowRect(window, &current);
  SetWindowPos(window, nullptr, 0, 0,
               (frame.right - frame.left) > (current.right - current.left)
                   ? frame.right - frame.left : current.right - current.left,
               (frame.bottom - frame.top) > (current.bottom - current.top)
                   ? frame.bottom - frame.top : current.bottom - current.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  PlaceClientArea(View(), kViewOffset, kViewOffset, viewW, viewH);
  PlaceClientArea(OutputBar(), kViewOffset + viewW + 12, kViewOffset, outW, outH);
  PlaceClientArea(InputBar(), kViewOffset, kViewOffset + viewH + 12, inW, inH);
  PumpMessages();
}

LPARAM OpenDialog::At(int32_t x, int32_t y) const {
  // The mapped x depends only on the dialog's x and the mapped y only on its y.
  const LPARAM middle = MAKELPARAM(kViewOffset + 1, kViewOffset + 1);
  int found[2] = {-1, -1};
  for (int pos = 0; pos < 2048 && (found[0] < 0 || found[1] < 0); ++pos) {
    int32_t cx, cy;
    MapMouseToCurve(View(), MAKELPARAM(pos, HIWORD(middle)), cx, cy);
    if (found[0] < 0 && cx == x) found[0] = pos;
    MapMouseToCurve(View(), MAKELPARAM(LOWORD(middle), pos), cx, cy);
    if (found[1] < 0 && cy == y) found[1] = pos;
  }
  if (found[0] < 0 || found[1] < 0) {
    ADD_FAILURE() << "no dialog position maps to (" << x << ", " << y << ")";
    return MAKELPARAM(0, 0);
  }
  return MAKELPARAM(found[0], found[1]);
}

void PumpDialogMessages(HWND dialog) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (CallMsgFilterA(&msg, MSGF_DIALOGBOX) || IsDialogMessageA(dialog, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Pick(HWND dialog, int id, int item) {
  const auto notify = [&](int code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  };
  notify(CBN_DROPDOWN);
  SendDlgItemMessageA(dialog, id, CB_SETCURSEL, item, 0);
  notify(CBN_SELCHANGE);
  notify(CBN_SELENDOK);
  notify(CBN_CLOSEUP);
}

void TypeIntoSelector(HWND selector, const char* text) {
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  GetComboBoxInfo(selector, &info);
  SendMessageA(info.hwndItem, EM_SETSEL, 0, -1);
  for (const char* c = text; *c != '\0'; ++c) SendMessageA(info.hwndItem, WM_CHAR, *c, 1);
}

namespace {

std::function<void(HWND)> g_visit;
int g_closingId = IDCANCEL;

void CALLBACK VisitDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND dialog = FindWindowA("#32770", "Filter: Tonarc");
  if (dialog == nullptr) {
    ADD_FAILURE() << "the modal dialog is not open";
    return;
  }
  if (g_visit) g_visit(dialog);
  if (g_closingId != 0) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(g_closingId, BN_CLICKED), 0);
}

}  // namespace

int RunConfigProc(CurveData& data, IFilterPreview* preview, int closingId,
                  const std::function<void(HWND)>& visit, HINSTANCE resources) {
  FilterModule module = {};
  module.hInstModule = resources != nullptr ? resources : GetModuleHandleA(nullptr);
  FilterDefinition definition = {};
  definition.module = &module;
  FilterActivation fa = {};
  fa.filter = &definition;
  fa.filter_data = &data;
  fa.ifp = preview;
  return RunConfigProc(fa, closingId, visit);
}

int RunConfigProc(FilterActivation& fa, int closingId, const std::function<void(HWND)>& visit) {
  g_visit = visit;
  g_closingId = closingId;
  const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, VisitDialog);
  const int result = ConfigProc(&fa, nullptr, nullptr);
  KillTimer(nullptr, timer);  // the dialog may never have opened
  g_visit = nullptr;
  PumpMessages();
  return result;
}

namespace {

struct BoxAnswers {
  const char* caption;
  int answer;
  std::vector<std::string> texts;
};
BoxAnswers* g_answers = nullptr;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = g_answers != nullptr ? FindWindowA("#32770", g_answers->caption) : nullptr;
  if (box == nullptr) return;
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's message
  g_answers->texts.push_back(text);
  const int button = GetDlgItem(box, IDCANCEL) != nullptr ? g_answers->answer : IDOK;
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

}  // namespace

std::vector<std::string> AnsweringBoxes(const char* caption, int answer,
                                        const std::function<void()>& action) {
  BoxAnswers answers{caption, answer, {}};
  g_answers = &answers;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBox);
  action();
  KillTimer(nullptr, timer);
  g_answers = nullptr;
  return answers.texts;
}

std::string Settings(const CurveData& data) {
  std::string s = std::to_string(data.mode) + ":";
  for (int curve = 0; curve < kCurveCount; ++curve) {
    s += " [" + std::to_string(data.kind[curve]);
    const ControlPoint* points = CurvePoints(data, curve);
    for (int i = 0; i < CurveSlotCount(curve); ++i) {
      if (IsValidPoint(points[i])) {
        s += " " + std::to_string(i) + "=" + std::to_string(points[i].x) + "," +
             std::to_string(points[i].y);
      }
    }
    s += "]";
  }
  return s;
}

::testing::AssertionResult SlotsWellFormed(const CurveData& data) {
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const ControlPoint* points = CurvePoints(data, curve);
    for (int i = 0; i < CurveSlotCount(curve); ++i) {
      const ControlPoint& p = points[i];
      const bool empty = p.x == -1 && p.y == -1;
      const bool point = p.x >= 0 && p.x <= 255 && p.y >= 0 && p.y <= 255;
      if (!empty && !point) {
        return ::testing::AssertionFailure() << "curve " << curve << " slot " << i << " holds ("
                                             << p.x << ", " << p.y << ")";
      }
    }
    if (data.kind[curve] >= kKindCount) {
      return ::testing::AssertionFailure() << "curve " << curve << " has kind " << data.kind[curve];
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace gui
