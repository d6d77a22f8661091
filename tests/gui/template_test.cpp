// The dialog template as stored in the resource, read back field by field, and the live dialog
// built from it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/resource.h"
#include "tests/gui/dialog_harness.h"

namespace {

// A name-or-number field of a template: 0xFFFF then a number, or a zero-terminated string.
struct NameOrNumber {
  bool isNumber = false;
  WORD number = 0;
  std::wstring name;
};

struct ItemTemplate {
  DWORD style, exStyle;
  short x, y, cx, cy;
  WORD id;
  NameOrNumber cls, text;
  WORD extraBytes;
};

struct DialogTemplate {
  bool extended;
  DWORD style, exStyle;
  short x, y, cx, cy;
  NameOrNumber menu, cls;
  std::wstring caption;
  WORD pointSize = 0;
  std::wstring face;
  std::vector<ItemTemplate> items;
};

class Reader {
 public:
  Reader(const BYTE* base, size_t size) : base_(base), size_(size) {}
  bool ok() const { return ok_; }
  WORD Word() {
    WORD w = 0;
    Take(&w, 2);
    return w;
  }
  DWORD Dword() {
    DWORD d = 0;
    Take(&d, 4);
    return d;
  }
  short Short() { return static_cast<short>(Word()); }
  std::wstring String() {
    std::wstring s;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) s += static_cast<wchar_t>(c);
    return s;
  }
  NameOrNumber Field() {
    NameOrNumber f;
    const WORD first = Word();
    if (first == 0xFFFF) {
      f.isNumber = true;
      f.number = Word();
    } else {
      for (WORD c = first; ok_ && c != 0; c = Word()) f.name += static_cast<wchar_t>(c);
    }
    return f;
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t{3}; }
  void Skip(size_t n) { at_ += n; }

 private:
  void Take(void* out, size_t n) {
    if (at_ + n > size_) {
      ok_ = false;
      return;
    }
    std::memcpy(out, base_ + at_, n);
    at_ += n;
  }
  const BYTE* base_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

DialogTemplate ReadTemplate(const BYTE* p, size_t size) {
  DialogTemplate t{};
  Reader r(p, size);
  const WORD first = r.Word();
  const WORD second = r.Word();
  t.extended = first == 1 && second == 0xFFFF;
  if (t.extended) return t;
  Reader body(p, size);
  t.style = body.Dword();
  t.exStyle = body.Dword();
  const WORD count = body.Word();
  t.x = body.Short();
  t.y = body.Short();
  t.cx = body.Short();
  t.cy = body.Short();
  t.menu = body.Field();
  t.cls = body.Field();
  t.caption = body.String();
  if (t.style & DS_SETFONT) {
    t.pointSize = body.Word();
    t.face = body.String();
  }
  for (WORD i = 0; i < count && body.ok(); ++i) {
    body.AlignDword();
    ItemTemplate item{};
    item.style = body.Dword();
    item.exStyle = body.Dword();
    item.x = body.Short();
    item.y = body.Short();
    item.cx = body.Short();
    item.cy = body.Short();
    item.id = body.Word();
    item.cls = body.Field();
    item.text = body.Field();
    item.extraBytes = body.Word();
    body.Skip(item.extraBytes);
    t.items.push_back(item);
  }
  EXPECT_TRUE(body.ok()) << "the template ends inside a field";
  return t;
}

// Class of an item, whether stored as one of the predefined numbers or by name.
std::string ClassName(const NameOrNumber& cls) {
  if (cls.isNumber) {
    switch (cls.number) {
      case 0x80: return "button";
      case 0x81: return "edit";
      case 0x82: return "static";
      case 0x83: return "listbox";
      case 0x84: return "scrollbar";
      case 0x85: return "combobox";
      default: return "#" + std::to_string(cls.number);
    }
  }
  std::string lower;
  for (wchar_t c : cls.name) lower += static_cast<char>(c >= L'A' && c <= L'Z' ? c + 32 : c);
  return lower;
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// The original controls, first in the template and in this order (which is also where the tab
// order starts): the original pictures and where clicks land depend on their places. The
// editor's own controls follow them.
struct OriginalControl {
  int id;
  const char* cls;
  short x, y, cx, cy;
};

const OriginalControl kOriginalControls[] = {
    {IDOK, "button", 203, 129, 50, 14},          {IDCANCEL, "button", 203, 150, 50, 14},
    {IDC_CURVE_VIEW, "static", 7, 7, 172, 158},  {IDC_RESET, "button", 203, 29, 50, 14},
    {IDC_PREVIEW, "button", 203, 7, 50, 14},     {IDC_OUTPUT_BAR, "static", 187, 7, 11, 158},
    {IDC_INPUT_BAR, "static", 7, 170, 172, 16},  {IDC_MODE, "combobox", 205, 52, 48, 60},
};

class DialogResource : public ::testing::Test {
 protected:
  void SetUp() override {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceExA(self, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                  MAKEINTRESOURCEA(IDD_FILTER_CONFIG),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    ASSERT_NE(found, nullptr) << "no English (United States) dialog 101";
    const BYTE* bytes = static_cast<const BYTE*>(LockResource(LoadResource(self, found)));
    ASSERT_NE(bytes, nullptr);
    tmpl = ReadTemplate(bytes, SizeofResource(self, found));
  }
  DialogTemplate tmpl;
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR out) {
  reinterpret_cast<std::vector<WORD>*>(out)->push_back(language);
  return TRUE;
}

TEST_F(DialogResource, OnlyEnglishUnitedStates) {
  std::vector<WORD> languages;
  EnumResourceLanguagesA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(5),
                         MAKEINTRESOURCEA(IDD_FILTER_CONFIG), CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<WORD>{0x0409});
}

TEST_F(DialogResource, ClassicTemplateWithItsFrameFontAndCaption) {
  ASSERT_FALSE(tmpl.extended) << "the template must be the classic form";
  EXPECT_EQ(tmpl.style, static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION |
                                           WS_SYSMENU));
  EXPECT_EQ(tmpl.exStyle, 0u);
  EXPECT_EQ(tmpl.x, 0);
  EXPECT_EQ(tmpl.y, 0);
  EXPECT_EQ(tmpl.cx, 380);  // the original 260, widened for the editor's column
  EXPECT_EQ(tmpl.cy, 194);
  EXPECT_FALSE(tmpl.menu.isNumber);
  EXPECT_EQ(tmpl.menu.name, L"") << "no menu";
  EXPECT_FALSE(tmpl.cls.isNumber);
  EXPECT_EQ(tmpl.cls.name, L"") << "the standard dialog class";
  EXPECT_EQ(Narrow(tmpl.caption), "Filter: Tonarc");
  EXPECT_EQ(tmpl.pointSize, 8);
  EXPECT_EQ(Narrow(tmpl.face), "MS Sans Serif");
}

TEST_F(DialogResource, TheOriginalControlsKeepTheirIdsPlacesAndOrder) {
  ASSERT_GT(tmpl.items.size(), std::size(kOriginalControls));
  for (size_t i = 0; i < std::size(kOriginalControls); ++i) {
    const ItemTemplate& item = tmpl.items[i];
    const OriginalControl& want = kOriginalControls[i];
    SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(want.id));
    EXPECT_EQ(static_cast<short>(item.id), want.id);
    EXPECT_EQ(ClassName(item.cls), want.cls);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
  }
}

TEST(DialogWindow, TabOrderRunsApplyCancelResetPreviewSelectorThenTheEditorsControls) {
  CurveData data = Fresh();
  gui::OpenDialog dlg(data);
  // The number fields are enabled only while there is a current point, the automatic curves
  // once a frame has been sampled.
  dlg.LeftPress(dlg.At(100, 100));
  dlg.LeftRelease(dlg.At(100, 100));
  uint32_t pixel = 0x00406080;
  dlg.preview.frame = gui::SampledFrame(&pixel, 1, 1, 1);
  dlg.Command(IDC_PREVIEW);
  gui::PumpMessages();
  const int order[] = {IDOK,       IDCANCEL,          IDC_RESET,       IDC_PREVIEW,
                       IDC_MODE,   IDC_CURVE,         IDC_KIND,        IDC_PRESET,
                       IDC_POINT_INPUT,  IDC_POINT_OUTPUT, IDC_SAMPLE,  IDC_AUTO_CONTRAST,
                       IDC_AUTO_COLOUR,  IDC_LOAD,    IDC_SAVE,        IDC_UNDO,
                       IDC_REDO,   IDOK};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(GetNextDlgTabItem(dlg.window, dlg.Item(order[i]), FALSE), dlg.Item(order[i + 1]))
        << "after id " << order[i];
  }
  EXPECT_EQ(SendMessageA(dlg.window, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
}

TEST(DialogWindow, FocusStartsOnApplyAndTheSelectorListsTheModes) {
  CurveData data = Fresh();
  data.mode = kModeGreen;
  gui::RecordingPreview preview;
  HWND focus = nullptr;
  std::vector<std::string> items;
  LRESULT current = -2;
  gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
    focus = GetFocus();
    HWND selector = GetDlgItem(dialog, IDC_MODE);
    const LRESULT count = SendMessageA(selector, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      char text[32] = {};
      SendMessageA(selector, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    current = SendMessageA(selector, CB_GETCURSEL, 0, 0);
    focus = focus == GetDlgItem(dialog, IDOK) ? focus : nullptr;
  });
  EXPECT_NE(focus, nullptr) << "the first tab stop, Apply, has the focus";
  EXPECT_EQ(items, (std::vector<std::string>{"RGB", "Red", "Green", "Blue", "Luma (Rec. 709)",
                                             "Luma (Rec. 601)"}));
  EXPECT_EQ(current, 2);
}

}  // namespace
