// Curve files from the dialog: the file dialogs and the reading and writing of the file. Nothing
// is read or written unless the user asks, through Load... and Save...
#pragma once

#include <windows.h>

#include "engine/curve_data.h"
#include "engine/curve_file.h"

// Reads the curve file at path into data. On failure data is unchanged and reason says why, as a
// sentence for a message box.
bool ReadCurveFileAt(const char* path, CurveData& data, char (&reason)[kCurveFileReasonLength]);

// Writes size bytes to the file at path. They go to a new file in the same folder first, which
// replaces the file at path only once every byte is written and flushed: a save that fails
// leaves the old file exactly as it was, and no new file behind. On failure reason says why, as a
// sentence for a message box.
bool WriteCurveFileAt(const char* path, const uint8_t* bytes, int32_t size,
                      char (&reason)[kCurveFileReasonLength]);

// Asks for a file to load and reads it; a file that is refused is explained in a message box.
// Returns whether the settings changed.
bool LoadCurvesChosenByUser(HWND dialog, CurveData& data);

// Asks where to save and saves there (SaveCurvesTo).
void SaveCurvesChosenByUser(HWND dialog, const CurveData& data);

// Writes data's four curves to the file at path. When the file cannot hold them exactly, a
// message box says by how many levels they will come back off, and with the master curve on luma
// one says that the file's program will apply it to red, green and blue; each lets the user cancel
// first. A failure is explained in a message box.
void SaveCurvesTo(HWND dialog, const char* path, const CurveData& data);
