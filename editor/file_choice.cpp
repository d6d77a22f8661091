#include "editor/file_choice.h"

#include <commdlg.h>

#include <cstring>

namespace {

// The filters of Save..., by SaveType; the dialog counts them from 1.
constexpr char kSaveFilter[] =
    "Curves files (*.acv)\0*.acv\0LUT files (*.cube)\0*.cube\0Table files (*.amp)\0*.amp\0";
constexpr const char* kExtensions[] = {"acv", "cube", "amp"};
constexpr char kLoadFilter[] =
    "Curves, table and GIMP curves files\0*.*\0Curves files (*.acv)\0*.acv\0"
    "Table files (*.amp)\0*.amp\0";

OPENFILENAMEA Request(HWND dialog, char (&path)[MAX_PATH], const char* filter) {
  path[0] = '\0';
  OPENFILENAMEA request;
  std::memset(&request, 0, sizeof request);
  request.lStructSize = sizeof request;
  request.hwndOwner = dialog;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = MAX_PATH;
  request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
  return request;
}

SaveType TypeOfFilter(DWORD index) {
  return index == 2 ? SaveType::kCube : index == 3 ? SaveType::kTable : SaveType::kCurves;
}

// The extension a name typed without one gets follows the type chosen in the dialog.
UINT_PTR CALLBACK FollowTheType(HWND child, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return 0;
  const OFNOTIFYA* notice = reinterpret_cast<const OFNOTIFYA*>(lParam);
  if (notice->hdr.code != CDN_TYPECHANGE) return 0;
  const int type = static_cast<int>(TypeOfFilter(notice->lpOFN->nFilterIndex));
  SendMessageA(GetParent(child), CDM_SETDEFEXT, 0, reinterpret_cast<LPARAM>(kExtensions[type]));
  return 0;
}

}  // namespace

bool ChooseFileToLoad(HWND dialog, char (&path)[MAX_PATH]) {
  OPENFILENAMEA request = Request(dialog, path, kLoadFilter);
  request.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  return GetOpenFileNameA(&request) != FALSE;
}

bool ChooseFileToSave(HWND dialog, char (&path)[MAX_PATH], SaveType& type) {
  OPENFILENAMEA request = Request(dialog, path, kSaveFilter);
  request.lpstrDefExt = kExtensions[0];
  request.Flags |= OFN_OVERWRITEPROMPT | OFN_ENABLEHOOK;
  request.lpfnHook = FollowTheType;
  if (!GetSaveFileNameA(&request)) return false;
  type = TypeOfFilter(request.nFilterIndex);
  return true;
}

SaveType SaveTypeOfName(const char* path, SaveType otherwise) {
  const char* dot = nullptr;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '.') dot = c;
    if (*c == '\\' || *c == '/' || *c == ':') dot = nullptr;  // a dot in a folder's name
  }
  if (dot == nullptr) return otherwise;
  for (int type = 0; type < 3; ++type) {
    if (lstrcmpiA(dot + 1, kExtensions[type]) == 0) return static_cast<SaveType>(type);
  }
  return otherwise;
}
