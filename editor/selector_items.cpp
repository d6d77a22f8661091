#include "editor/selector_items.h"

void FillSelector(HWND dialog, int id, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
  }
}

int SelectedItem(HWND dialog, int id) {
  return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

void WidenSelectorList(HWND dialog, int id, LONG width) {
  RECT r = {0, 0, width, 0};
  MapDialogRect(dialog, &r);
  SendDlgItemMessageA(dialog, id, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(r.right), 0);
}
