// Curve files from the dialog: what Save... says before it writes, a save that fails leaving the
// old file byte for byte, and files that cannot be read.
//
// The full disk needs a small filesystem: TONARC_SMALL_FOLDER names a folder on one (CTest mounts
// a tmpfs of 64 KiB where it may); without it that case is skipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/curve_file_dialog.h"
#include "engine/curve_file.h"
#include "tests/support/fresh_curve.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string TempFolder() {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "tonarc_save_test\\";
}

Bytes ReadAll(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  Bytes bytes(1 << 16);
  DWORD size = 0;
  if (file == INVALID_HANDLE_VALUE) return {};
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &size, nullptr);
  CloseHandle(file);
  bytes.resize(size);
  return bytes;
}

bool WriteAll(const std::string& path, const Bytes& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  const bool done = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) &&
                    written == bytes.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return done;
}

// The names in a folder (with its separator), so that a test sees what a save leaves behind.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0) {
      names.push_back(found.cFileName);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void RemoveFile(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
}

Bytes FileOf(const CurveData& data, int32_t& difference) {
  uint8_t bytes[kMaxCurveFileBytes];
  const int32_t size = WriteCurveFile(data, bytes, difference);
  return Bytes(bytes, bytes + size);
}

const Bytes kOldFile = {0, 1, 0, 1, 0, 2, 0, 7, 0, 0, 0, 200, 0, 255};

// A save that cannot finish keeps the old file as it was, leaves nothing else in its folder and
// says why.
TEST(CurveFileSave, FailedSaveLeavesTheOldFileByteForByte) {
  const char* const small = std::getenv("TONARC_SMALL_FOLDER");
  const struct {
    const char* name;
    std::string folder;  // empty: the case cannot run here
    bool readOnly;
    bool fill;           // the disk filled up to the last byte first
    const char* reason;  // null: the save succeeds
  } cases[] = {
      {"a writable file is replaced", TempFolder(), false, false, nullptr},
      {"a read-only file", TempFolder(), true, false,
       "The curves were not saved: the file is read-only."},
      {"a full disk", small != nullptr ? std::string("Z:") + small + "\\" : std::string(), false,
       true, "The curves were not saved: there is no room left on the disk."},
  };
  CurveData data = Fresh();
  data.kind[kCurveMaster] = kKindMonotone;
  data.points[0] = ControlPoint{128, 200};
  int32_t difference = 0;
  const Bytes file = FileOf(data, difference);

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.folder.empty()) {
      std::printf("skipped \"%s\": TONARC_SMALL_FOLDER is not set\n", c.name);
      continue;
    }
    CreateDirectoryA(c.folder.c_str(), nullptr);
    const std::string path = c.folder + "curves.acv";
    const std::string filler = c.folder + "filler";
    ASSERT_TRUE(WriteAll(path, kOldFile));
    if (c.readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (c.fill) {
      ULARGE_INTEGER free{};
      ASSERT_TRUE(GetDiskFreeSpaceExA(c.folder.c_str(), &free, nullptr, nullptr));
      ASSERT_LT(free.QuadPart, 1u << 20) << "not a small filesystem: it is left alone";
      // Bytes until the disk refuses any more.
      HANDLE fill = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
      const Bytes block(512, 0xEE);
      DWORD written = 0;
      while (WriteFile(fill, block.data(), 512, &written, nullptr) && written == 512) {}
      while (WriteFile(fill, block.data(), 1, &written, nullptr) && written == 1) {}
      CloseHandle(fill);
    }
    const std::vector<std::string> before = FilesIn(c.folder);

    char reason[kCurveFileReasonLength] = {};
    const bool saved =
        WriteCurveFileAt(path.c_str(), file.data(), static_cast<int32_t>(file.size()), reason);
    EXPECT_EQ(saved, c.reason == nullptr);
    EXPECT_STREQ(saved ? nullptr : reason, c.reason);
    EXPECT_EQ(ReadAll(path), saved ? file : kOldFile);
    EXPECT_EQ(FilesIn(c.folder), before);

    RemoveFile(filler);
    RemoveFile(path);
    RemoveDirectoryA(c.folder.c_str());
  }
}

// The message boxes of a save, answered as they come: their texts are kept and each is closed
// with `answer` (an OK-only box with OK).
struct BoxAnswers {
  int answer;
  std::vector<std::string> texts;
};
BoxAnswers* answering = nullptr;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowA("#32770", "Save curves");
  if (box == nullptr || answering == nullptr) return;
  char text[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's message
  answering->texts.push_back(text);
  const int button = GetDlgItem(box, IDCANCEL) != nullptr ? answering->answer : IDOK;
  SendMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

std::vector<std::string> SaveAnswering(const std::string& path, const CurveData& data,
                                       int answer) {
  BoxAnswers answers{answer, {}};
  answering = &answers;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBox);
  SaveCurvesTo(nullptr, path.c_str(), data);
  KillTimer(nullptr, timer);
  answering = nullptr;
  return answers.texts;
}

// Before it writes, Save... says how far the curves will come back off, and nothing when they
// come back exactly; Cancel there keeps the old file. A save that fails says why.
TEST(CurveFileSave, SaysHowFarTheCurvesComeBackBeforeWriting) {
  const std::string one =
      "A curves file holds only points, so loaded again these curves will be up to 1 level off.";
  CurveData smooth = Fresh();
  smooth.points[0] = ControlPoint{128, 200};  // an ordinary smooth curve: within a level
  CurveData monotone = smooth;
  monotone.kind[kCurveMaster] = kKindMonotone;
  CurveData wild = Fresh();  // a linear zigzag: more bends than 64 monotone points can follow
  wild.kind[kCurveRed] = kKindLinear;
  for (int i = 0; i < kChannelSlots; ++i) wild.channel[0].points[i] = {1 + 4 * i, i % 2 * 255};
  int32_t wildDifference = 0;
  FileOf(wild, wildDifference);
  const std::string wildNotice = "A curves file holds only points, so loaded again these curves "
                                 "will be up to " + std::to_string(wildDifference) + " levels off.";
  ASSERT_GT(wildDifference, 1);
  CurveData luma = monotone;  // the file holds the same curves; the notice says what it cannot
  luma.target = kTargetLuma709;
  const std::string lumaNotice =
      "A curves file cannot say that the master curve is on luma: the curves are saved as they "
      "are, and programs that read the file will apply the master curve to red, green and blue.";

  const struct {
    const char* name;
    const CurveData& data;
    int answer;
    bool readOnly;
    std::vector<std::string> boxes;
    bool written;
  } cases[] = {
      {"smooth, cancelled", smooth, IDCANCEL, false, {one}, false},
      {"smooth, saved", smooth, IDOK, false, {one}, true},
      {"monotone: nothing to say", monotone, IDCANCEL, false, {}, true},
      {"beyond the points a file holds", wild, IDOK, false, {wildNotice}, true},
      {"on luma, cancelled", luma, IDCANCEL, false, {lumaNotice}, false},
      {"on luma, saved as it is", luma, IDOK, false, {lumaNotice}, true},
      {"read-only", monotone, IDOK, true,
       {"The curves were not saved: the file is read-only."}, false},
  };
  const std::string folder = TempFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "curves.acv";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteAll(path, kOldFile));
    if (c.readOnly) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(SaveAnswering(path, c.data, c.answer), c.boxes);
    int32_t difference = 0;
    EXPECT_EQ(ReadAll(path), c.written ? FileOf(c.data, difference) : kOldFile);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{"curves.acv"});
    RemoveFile(path);
  }
  RemoveDirectoryA(folder.c_str());
}

// The file's reasons have their own tests; here one of them through a file, and a file that is
// not there. Neither changes the settings.
TEST(CurveFileSave, UnreadableFilesChangeNothing) {
  const std::string path = TempFolder() + "broken.acv";
  CreateDirectoryA(TempFolder().c_str(), nullptr);
  ASSERT_TRUE(WriteAll(path, {0, 1, 0, 1, 0, 2, 0, 9, 0, 200, 0, 9, 0, 100}));
  const struct {
    bool present;
    const char* reason;
  } cases[] = {
      {true, "The master curve goes backwards: point 2 has input 100 after 200."},
      {false, "The file could not be opened."},
  };
  for (const auto& c : cases) {
    if (!c.present) RemoveFile(path);
    CurveData data = Fresh();
    data.points[0] = ControlPoint{10, 20};
    const CurveData before = data;
    char reason[kCurveFileReasonLength] = {};
    EXPECT_FALSE(ReadCurveFileAt(path.c_str(), data, reason));
    EXPECT_STREQ(reason, c.reason);
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
  }
  RemoveDirectoryA(TempFolder().c_str());
}

}  // namespace
