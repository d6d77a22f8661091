#include "editor/curve_file_dialog.h"

#include <commdlg.h>

#include <cstring>

namespace {

constexpr char kFilter[] = "Curves files (*.acv)\0*.acv\0All files (*.*)\0*.*\0";
// Curves come first in a file and anything after them is ignored, so a file is read no further
// than a generous bound.
constexpr DWORD kReadLimit = 64 * 1024;

void Explain(HWND dialog, const char* text, const char* caption) {
  MessageBoxA(dialog, text, caption, MB_OK | MB_ICONWARNING);
}

bool ChooseFile(HWND dialog, char (&path)[MAX_PATH], bool saving) {
  path[0] = '\0';
  OPENFILENAMEA request;
  std::memset(&request, 0, sizeof request);
  request.lStructSize = sizeof request;
  request.hwndOwner = dialog;
  request.lpstrFilter = kFilter;
  request.lpstrFile = path;
  request.nMaxFile = MAX_PATH;
  request.lpstrDefExt = "acv";
  request.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                  (saving ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  return saving ? GetSaveFileNameA(&request) != FALSE : GetOpenFileNameA(&request) != FALSE;
}

}  // namespace

bool ReadCurveFileAt(const char* path, CurveData& data, char (&reason)[kCurveFileReasonLength]) {
  static constexpr char kCannotOpen[] = "The file could not be opened.";
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::memcpy(reason, kCannotOpen, sizeof kCannotOpen);
    return false;
  }
  static uint8_t bytes[kReadLimit];  // the dialog is modal: one read at a time
  DWORD size = 0;
  const BOOL read = ReadFile(file, bytes, kReadLimit, &size, nullptr);
  CloseHandle(file);
  if (!read) {
    std::memcpy(reason, kCannotOpen, sizeof kCannotOpen);
    return false;
  }
  return ReadCurveFile(bytes, size, data, reason);
}

bool WriteCurveFileAt(const char* path, const CurveData& data) {
  uint8_t bytes[kMaxCurveFileBytes];
  const int32_t size = WriteCurveFile(data, bytes);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
  const BOOL closed = CloseHandle(file);
  if (ok && closed && written == static_cast<DWORD>(size)) return true;
  DeleteFileA(path);  // a cut-off file would load as something else, or not at all
  return false;
}

bool LoadCurvesChosenByUser(HWND dialog, CurveData& data) {
  char path[MAX_PATH];
  if (!ChooseFile(dialog, path, /*saving=*/false)) return false;
  char reason[kCurveFileReasonLength];
  if (ReadCurveFileAt(path, data, reason)) return true;
  Explain(dialog, reason, "Load curves");
  return false;
}

void SaveCurvesChosenByUser(HWND dialog, const CurveData& data) {
  char path[MAX_PATH];
  if (!ChooseFile(dialog, path, /*saving=*/true)) return;
  if (!WriteCurveFileAt(path, data)) {
    Explain(dialog, "The file could not be written.", "Save curves");
  }
}
