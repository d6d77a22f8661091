// Curve files from the dialog: Load... and Save..., the reading and writing of their files, and
// what the dialog says about them. Nothing is read or written unless the user asks.
#pragma once

#include <windows.h>

#include "editor/file_choice.h"
#include "engine/curve_data.h"
#include "engine/curve_file.h"
#include "engine/curve_import.h"
#include "engine/reason.h"

// Reads the file at path into data with the reader its contents call for (a curves file, a table
// file or a GIMP curves file); fit says how closely the curves follow a table the file held. On
// failure data is unchanged and reason says why, as a sentence for a message box.
bool ReadCurvesFileAt(const char* path, CurveData& data, TableFit& fit,
                      char (&reason)[kReasonLength]);

// Writes size bytes to the file at path. They go to a new file in the same folder first, which
// replaces the file at path only once every byte is written and flushed: a save that fails
// leaves the old file exactly as it was, and no new file behind. On failure reason says why, as a
// sentence for a message box.
bool WriteCurveFileAt(const char* path, const uint8_t* bytes, int32_t size,
                      char (&reason)[kCurveFileReasonLength]);

// Asks for a file to load and loads it (LoadCurvesFrom). Returns whether the settings changed.
bool LoadCurvesChosenByUser(HWND dialog, CurveData& data);

// Reads the file at path into data. A file that is refused is explained in a message box and
// changes nothing; a table that a curve follows only as closely as its points allow is told in one
// with the largest difference. Returns whether the settings changed.
bool LoadCurvesFrom(HWND dialog, const char* path, CurveData& data);

// Asks where to save and in which type, and saves there (SaveSettingsTo).
void SaveCurvesChosenByUser(HWND dialog, const CurveData& data);

// Writes the settings to the file at path as a curves file (SaveCurvesTo), a LUT file or a table
// file, the type its name's extension gives, or `chosen` for a name of none of them. What the type
// cannot keep of a master curve on luma is said first, in a message box that lets the user
// cancel; a failure is explained in a message box.
void SaveSettingsTo(HWND dialog, const char* path, SaveType chosen, const CurveData& data);

// Writes data's four curves to the file at path. When the file cannot hold them exactly, a
// message box says by how many levels they will come back off, and with the master curve on luma
// one says that the file's program will apply it to red, green and blue; each lets the user cancel
// first. A failure is explained in a message box.
void SaveCurvesTo(HWND dialog, const char* path, const CurveData& data);
