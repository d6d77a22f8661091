#include "editor/curve_file_dialog.h"

#include <cstring>

#include "engine/any_curves_file.h"
#include "engine/lut_cube.h"
#include "engine/table_file.h"

namespace {

constexpr char kLoadCaption[] = "Load curves";
constexpr char kSaveCaption[] = "Save curves";
constexpr int kNoticeLength = 160;

// Why a save failed, by the system's error code; any other code is given as its number.
struct SaveFailure {
  DWORD error;
  const char* reason;
};
const SaveFailure kSaveFailures[] = {
    {ERROR_DISK_FULL, "The curves were not saved: there is no room left on the disk."},
    {ERROR_HANDLE_DISK_FULL, "The curves were not saved: there is no room left on the disk."},
    {ERROR_PATH_NOT_FOUND, "The curves were not saved: the folder does not exist."},
    {ERROR_SHARING_VIOLATION, "The curves were not saved: another program has the file open."},
    {ERROR_LOCK_VIOLATION, "The curves were not saved: another program has the file open."},
    {ERROR_WRITE_PROTECT, "The curves were not saved: the disk is write-protected."},
    {ERROR_ACCESS_DENIED, "The curves were not saved: the folder may not be written to."},
};
constexpr char kReadOnlyReason[] = "The curves were not saved: the file is read-only.";
// A curves file has no place for a luma target: its composite curve is one for red, green and
// blue.
constexpr char kLumaNotice[] =
    "A curves file cannot say that the master curve is on luma: the curves are saved as they "
    "are, and programs that read the file will apply the master curve to red, green and blue.";
// What the other file types cannot keep of a luma target.
constexpr char kCubeLumaNotice[] =
    "With the master curve on luma the LUT file is a 3D table of 65 levels a side, between which "
    "programs interpolate: it comes close to the filter's output, but not exactly.";
constexpr char kTableLumaNotice[] =
    "A table file maps each channel on its own: with the master curve on luma it keeps grey "
    "levels exactly and other colours only approximately.";
constexpr char kNoMemoryReason[] = "The curves were not saved: there is not enough memory.";

void Explain(HWND dialog, const char* text, const char* caption) {
  MessageBoxA(dialog, text, caption, MB_OK | MB_ICONWARNING);
}

void Tell(HWND dialog, const char* text, const char* caption) {
  MessageBoxA(dialog, text, caption, MB_OK | MB_ICONINFORMATION);
}

// The folder part of path, with its separator, or "." for a bare file name.
bool FolderOf(const char* path, char (&folder)[MAX_PATH]) {
  const size_t length = std::strlen(path);
  if (length >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  size_t end = length;
  while (end > 0 && path[end - 1] != '\\' && path[end - 1] != '/' && path[end - 1] != ':') --end;
  if (end == 0) {
    std::memcpy(folder, ".", 2);
  } else {
    std::memcpy(folder, path, end);
    folder[end] = '\0';
  }
  return true;
}

// Writes size bytes into the (empty) file at path and flushes them to the disk; false with the
// system's error code otherwise.
bool WriteWholeFile(const char* path, const uint8_t* bytes, int32_t size, DWORD& error) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  DWORD written = 0;
  error = ERROR_SUCCESS;
  if (!WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr)) {
    error = GetLastError();
  } else if (written != static_cast<DWORD>(size)) {
    error = ERROR_DISK_FULL;  // a short write that reports nothing
  } else if (!FlushFileBuffers(file)) {
    error = GetLastError();
  }
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = GetLastError();
  return error == ERROR_SUCCESS;
}

// Puts the sentence for a failed save of path into reason; returns false, the save's result.
bool ExplainFailure(DWORD error, const char* path, char (&reason)[kCurveFileReasonLength]) {
  const DWORD attributes = GetFileAttributesA(path);
  const char* text = nullptr;
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    text = kReadOnlyReason;
  }
  for (const SaveFailure& failure : kSaveFailures) {
    if (text == nullptr && failure.error == error) text = failure.reason;
  }
  if (text != nullptr) {
    lstrcpynA(reason, text, kCurveFileReasonLength);
  } else {
    wsprintfA(reason, "The curves were not saved: the system gave error %lu.", error);
  }
  return false;
}

// The notice before a save that will not give back the curves exactly.
const char* DifferenceNotice(int32_t levels, char (&notice)[kNoticeLength]) {
  wsprintfA(notice,
            "A curves file holds only points, so loaded again these curves will be up to %ld "
            "level%s off.",
            static_cast<long>(levels), levels == 1 ? "" : "s");
  return notice;
}

// Shows a notice about a save about to happen; whether the user goes on with it.
bool GoOnDespite(HWND dialog, const char* notice) {
  return MessageBoxA(dialog, notice, kSaveCaption, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

// Room for the whole of any file Load... takes, and one byte more, so that a longer file is
// refused as too long rather than read in part.
constexpr DWORD kReadRoom = kMaxReadCurvesFileBytes + 1;

// The sentence after a load that followed a table as closely as a curve's points allow.
const char* FitNotice(const TableFit& fit, char (&notice)[kNoticeLength]) {
  const int curve = fit.curve >= 0 && fit.curve < kCurveCount ? fit.curve : kCurveMaster;
  char name[16];
  lstrcpynA(name, kCurveNames[curve], sizeof name);
  CharLowerA(name);
  wsprintfA(notice,
            "The %s curve has too few points for every bend of its table: it follows the table "
            "within %ld level%s.",
            name, static_cast<long>(fit.largestDifference), fit.largestDifference == 1 ? "" : "s");
  return notice;
}

// Writes the file's bytes in place of whatever path holds; a failure is told with its reason.
void WriteOrExplain(HWND dialog, const char* path, const uint8_t* bytes, int32_t size) {
  char reason[kCurveFileReasonLength];
  if (!WriteCurveFileAt(path, bytes, size, reason)) Explain(dialog, reason, kSaveCaption);
}

void SaveCubeTo(HWND dialog, const char* path, const CurveData& data) {
  if (!CubeFileIsExact(data) && !GoOnDespite(dialog, kCubeLumaNotice)) return;
  // A 3D table runs to megabytes: from the heap, which can say no.
  const size_t room = CubeFileLength(data);
  char* text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, room));
  if (text == nullptr) {
    Explain(dialog, kNoMemoryReason, kSaveCaption);
    return;
  }
  const size_t size = WriteCubeFile(data, text, room);
  WriteOrExplain(dialog, path, reinterpret_cast<const uint8_t*>(text), static_cast<int32_t>(size));
  HeapFree(GetProcessHeap(), 0, text);
}

void SaveTableTo(HWND dialog, const char* path, const CurveData& data) {
  if (!TableFileIsExact(data) && !GoOnDespite(dialog, kTableLumaNotice)) return;
  uint8_t bytes[kTableFileBytes];
  WriteTableFile(data, bytes);
  WriteOrExplain(dialog, path, bytes, static_cast<int32_t>(sizeof bytes));
}

}  // namespace

bool ReadCurvesFileAt(const char* path, CurveData& data, TableFit& fit,
                      char (&reason)[kReasonLength]) {
  static constexpr char kCannotOpen[] = "The file could not be opened.";
  static constexpr char kNoMemory[] = "The file could not be read: there is not enough memory.";
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::memcpy(reason, kCannotOpen, sizeof kCannotOpen);
    return false;
  }
  uint8_t* bytes = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, kReadRoom));
  DWORD size = 0;
  const BOOL read = bytes != nullptr && ReadFile(file, bytes, kReadRoom, &size, nullptr);
  CloseHandle(file);
  bool done = false;
  if (bytes == nullptr) {
    std::memcpy(reason, kNoMemory, sizeof kNoMemory);
  } else if (!read) {
    std::memcpy(reason, kCannotOpen, sizeof kCannotOpen);
  } else {
    done = ReadAnyCurvesFile(bytes, size, data, fit, reason);
  }
  if (bytes != nullptr) HeapFree(GetProcessHeap(), 0, bytes);
  return done;
}

bool WriteCurveFileAt(const char* path, const uint8_t* bytes, int32_t size,
                      char (&reason)[kCurveFileReasonLength]) {
  // Replacing a file by renaming another onto it would pass over its read-only mark.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return ExplainFailure(ERROR_ACCESS_DENIED, path, reason);
  }
  char folder[MAX_PATH];
  char temporary[MAX_PATH];
  if (!FolderOf(path, folder) || GetTempFileNameA(folder, "acv", 0, temporary) == 0) {
    return ExplainFailure(GetLastError(), path, reason);
  }
  DWORD error = ERROR_SUCCESS;
  if (WriteWholeFile(temporary, bytes, size, error) &&
      MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  if (error == ERROR_SUCCESS) error = GetLastError();
  DeleteFileA(temporary);
  return ExplainFailure(error, path, reason);
}

bool LoadCurvesChosenByUser(HWND dialog, CurveData& data) {
  char path[MAX_PATH];
  return ChooseFileToLoad(dialog, path) && LoadCurvesFrom(dialog, path, data);
}

bool LoadCurvesFrom(HWND dialog, const char* path, CurveData& data) {
  TableFit fit;
  char reason[kReasonLength];
  if (!ReadCurvesFileAt(path, data, fit, reason)) {
    Explain(dialog, reason, kLoadCaption);
    return false;
  }
  char notice[kNoticeLength];
  if (fit.largestDifference > 0) Tell(dialog, FitNotice(fit, notice), kLoadCaption);
  return true;
}

void SaveCurvesChosenByUser(HWND dialog, const CurveData& data) {
  char path[MAX_PATH];
  SaveType type;
  if (ChooseFileToSave(dialog, path, type)) SaveSettingsTo(dialog, path, type, data);
}

void SaveSettingsTo(HWND dialog, const char* path, SaveType chosen, const CurveData& data) {
  switch (SaveTypeOfName(path, chosen)) {
    case SaveType::kCube: return SaveCubeTo(dialog, path, data);
    case SaveType::kTable: return SaveTableTo(dialog, path, data);
    case SaveType::kCurves: return SaveCurvesTo(dialog, path, data);
  }
}

void SaveCurvesTo(HWND dialog, const char* path, const CurveData& data) {
  uint8_t bytes[kMaxCurveFileBytes];
  int32_t difference = 0;
  const int32_t size = WriteCurveFile(data, bytes, difference);

  // What the file will not keep is said before anything is written, each in a notice that can
  // stop the save.
  if (TargetOf(data) != kTargetChannels && !GoOnDespite(dialog, kLumaNotice)) return;
  char notice[kNoticeLength];
  if (difference > 0 && !GoOnDespite(dialog, DifferenceNotice(difference, notice))) return;

  WriteOrExplain(dialog, path, bytes, size);
}
