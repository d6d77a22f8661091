// Curve files from the dialog: what Save... says before it writes, a save that fails leaving the
// old file byte for byte, each file type through its own writer, files read by what they hold,
// and files that cannot be read.
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
#include "engine/curve_tables.h"
#include "engine/lut_cube.h"
#include "engine/table_file.h"
#include "tests/gui/dialog_harness.h"
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
  if (file == INVALID_HANDLE_VALUE) return {};
  Bytes bytes(GetFileSize(file, nullptr));  // a 3D LUT runs to megabytes
  DWORD size = 0;
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

std::vector<std::string> SaveAnswering(const std::string& path, const CurveData& data,
                                       int answer) {
  return gui::AnsweringBoxes("Save curves", answer,
                             [&] { SaveCurvesTo(nullptr, path.c_str(), data); });
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
    TableFit fit;
    char reason[kReasonLength] = {};
    EXPECT_FALSE(ReadCurvesFileAt(path.c_str(), data, fit, reason));
    EXPECT_STREQ(reason, c.reason);
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
  }
  RemoveDirectoryA(TempFolder().c_str());
}

Bytes CubeOf(const CurveData& data) {
  std::string text(CubeFileLength(data), '\0');
  text.resize(WriteCubeFile(data, text.data(), text.size()));
  return Bytes(text.begin(), text.end());
}

Bytes TableOf(const CurveData& data) {
  uint8_t bytes[kTableFileBytes];
  WriteTableFile(data, bytes);
  return Bytes(bytes, bytes + sizeof bytes);
}

// The type of the name, or the one chosen in the dialog for a name of none of the three, picks
// the writer; what a LUT or a table file cannot keep of a luma target is said first, and Cancel
// there keeps the old file.
TEST(CurveFileSave, EachTypeGoesThroughItsWriterAndSaysWhatItCannotKeep) {
  CurveData rgb = Fresh();
  rgb.kind[kCurveRed] = kKindMonotone;
  rgb.channel[0].points[0] = ControlPoint{100, 140};
  rgb.points[0] = ControlPoint{64, 40};
  RebuildAllCurves(rgb);
  CurveData luma = rgb;
  luma.target = kTargetLuma709;
  const std::string cubeNotice =
      "With the master curve on luma the LUT file is a 3D table of 65 levels a side, between "
      "which programs interpolate: it comes close to the filter's output, but not exactly.";
  const std::string tableNotice =
      "A table file maps each channel on its own: with the master curve on luma it keeps grey "
      "levels exactly and other colours only approximately.";
  const struct {
    const char* name;
    const CurveData& data;
    SaveType chosen;
    int answer;
    std::vector<std::string> boxes;
    Bytes (*file)(const CurveData&);  // null: the old file stays
  } cases[] = {
      {"grade.cube", rgb, SaveType::kCurves, IDOK, {}, CubeOf},
      {"grade.CUBE", luma, SaveType::kCurves, IDCANCEL, {cubeNotice}, nullptr},
      {"grade.cube", luma, SaveType::kCurves, IDOK, {cubeNotice}, CubeOf},
      {"grade.amp", rgb, SaveType::kCube, IDOK, {}, TableOf},
      {"grade.amp", luma, SaveType::kCurves, IDOK, {tableNotice}, TableOf},
      {"grade.txt", rgb, SaveType::kTable, IDOK, {}, TableOf},
      {"grade", luma, SaveType::kCube, IDOK, {cubeNotice}, CubeOf},
  };
  const std::string folder = TempFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (&c.data == &luma ? " on luma" : ""));
    const std::string path = folder + c.name;
    ASSERT_TRUE(WriteAll(path, kOldFile));
    EXPECT_EQ(gui::AnsweringBoxes("Save curves", c.answer,
                                  [&] { SaveSettingsTo(nullptr, path.c_str(), c.chosen, c.data); }),
              c.boxes);
    EXPECT_EQ(ReadAll(path), c.file != nullptr ? c.file(c.data) : kOldFile);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{c.name}) << "no temporary file left";
    RemoveFile(path);
  }
  RemoveDirectoryA(folder.c_str());
}

// 768 bytes: red as a zigzag of 0 and 255 (more bends than a channel curve's 64 points follow),
// green and blue straight.
Bytes ZigzagRedTable() {
  Bytes bytes(kTableFileBytes);
  for (int i = 0; i < kLutSize; ++i) {
    bytes[i] = static_cast<uint8_t>(i % 2 * 255);
    bytes[kLutSize + i] = bytes[2 * kLutSize + i] = static_cast<uint8_t>(i);
  }
  return bytes;
}

// GIMP's older text format: the value curve through (64, 32) and (192, 224), the others straight.
Bytes GimpTextFile() {
  std::string text = "# GIMP Curves File\n0 0 64 32 192 224 255 255";
  for (int i = 0; i < 13; ++i) text += " -1 -1";
  for (int line = 0; line < 4; ++line) {
    text += "\n0 0 255 255";
    for (int i = 0; i < 15; ++i) text += " -1 -1";
  }
  text += "\n";
  return Bytes(text.begin(), text.end());
}

// Load... reads a file by what it holds, whatever its name, and puts the master curve on the
// channels; a table a curve can follow only approximately is told with the largest difference; a
// refused file changes nothing.
TEST(CurveFileLoad, TheContentsPickTheReader) {
  CurveData fitted = Fresh();
  TableFit zigzagFit{};
  char reason[kReasonLength];
  const Bytes zigzag = ZigzagRedTable();
  ASSERT_TRUE(ReadTableFile(zigzag.data(), zigzag.size(), fitted, zigzagFit, reason)) << reason;
  ASSERT_GT(zigzagFit.largestDifference, 0);
  const struct {
    const char* name;
    Bytes file;
    std::vector<std::string> boxes;
    int32_t masterAt64, redAt1;  // the tables afterwards; -1: the settings stay
  } cases[] = {
      {"zigzag.acv", zigzag,
       {"The red curve has too few points for every bend of its table: it follows the table "
        "within " + std::to_string(zigzagFit.largestDifference) + " levels."},
       64, fitted.channel[0].lut[1]},
      {"gimp.amp", GimpTextFile(), {}, 32, 1},
      {"short.amp", Bytes(700, 0x40), {}, -1, -1},
  };
  const std::string folder = TempFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder + c.name;
    ASSERT_TRUE(WriteAll(path, c.file));
    CurveData data = Fresh();
    data.target = kTargetLuma601;
    data.mode = kModeBlue;
    const CurveData before = data;
    bool loaded = false;
    const std::vector<std::string> boxes = gui::AnsweringBoxes(
        "Load curves", IDOK, [&] { loaded = LoadCurvesFrom(nullptr, path.c_str(), data); });
    EXPECT_EQ(loaded, c.masterAt64 >= 0);
    if (loaded) {
      EXPECT_EQ(boxes, c.boxes);
      EXPECT_EQ(data.lut[64], c.masterAt64);
      EXPECT_EQ(data.channel[0].lut[1], c.redAt1);
      EXPECT_EQ(data.target, kTargetChannels);
      EXPECT_EQ(data.mode, kModeRgb);
    } else {
      EXPECT_EQ(boxes.size(), 1u) << "one sentence says why";
      EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
    }
    RemoveFile(path);
  }
  RemoveDirectoryA(folder.c_str());
}

// The save dialog as a user meets it: a name typed without an extension, with a type picked from
// the list, is saved in that type under that name with the type's extension.
struct SaveDialogVisit {
  std::string typed;
  int typeItem;
  bool filled = false;
};
SaveDialogVisit* visiting = nullptr;

void CALLBACK FillTheSaveDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowA("#32770", "Save As");
  if (box == nullptr || visiting == nullptr || visiting->filled) return;
  visiting->filled = true;
  // The type list, and the name field: an edit box in older dialogs, a combo box in newer ones.
  constexpr int kTypes = 0x470, kNames[] = {0x480, 0x47C};
  HWND types = GetDlgItem(box, kTypes);
  SendMessageA(types, CB_SETCURSEL, visiting->typeItem, 0);
  for (int code : {CBN_SELCHANGE, CBN_SELENDOK}) {
    SendMessageA(box, WM_COMMAND, MAKEWPARAM(kTypes, code), reinterpret_cast<LPARAM>(types));
  }
  for (int name : kNames) {
    SendMessageA(box, CDM_SETCONTROLTEXT, name, reinterpret_cast<LPARAM>(visiting->typed.c_str()));
  }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

TEST(CurveFileSave, TheTypePickedInTheSaveDialogGivesTheExtensionAndTheWriter) {
  CurveData data = Fresh();  // monotone: a curves file saved by mistake would need no notice
  data.kind[kCurveMaster] = kKindMonotone;
  data.points[0] = ControlPoint{64, 40};
  RebuildAllCurves(data);
  const struct {
    int typeItem;
    const char* name;
    Bytes (*file)(const CurveData&);
  } cases[] = {
      {1, "grade.cube", CubeOf},
      {2, "grade.amp", TableOf},
  };
  const std::string folder = TempFolder();
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SaveDialogVisit visit{folder + "grade", c.typeItem};
    visiting = &visit;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, FillTheSaveDialog);
    SaveCurvesChosenByUser(nullptr, data);
    KillTimer(nullptr, timer);
    visiting = nullptr;
    EXPECT_TRUE(visit.filled);
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{c.name});
    EXPECT_EQ(ReadAll(folder + c.name), c.file(data));
    RemoveFile(folder + c.name);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
