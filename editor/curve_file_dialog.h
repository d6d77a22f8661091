// Curve files from the dialog: the file dialogs and the reading and writing of the file. Nothing
// is read or written unless the user asks, through Load... and Save...
#pragma once

#include <windows.h>

#include "engine/curve_data.h"
#include "engine/curve_file.h"

// Reads the curve file at path into data. On failure data is unchanged and reason says why, as a
// sentence for a message box.
bool ReadCurveFileAt(const char* path, CurveData& data, char (&reason)[kCurveFileReasonLength]);

// Writes data's four curves to the file at path; false when it cannot be written.
bool WriteCurveFileAt(const char* path, const CurveData& data);

// Asks for a file to load and reads it; a file that is refused is explained in a message box.
// Returns whether the settings changed.
bool LoadCurvesChosenByUser(HWND dialog, CurveData& data);

// Asks where to save and writes the file, explaining a failure in a message box.
void SaveCurvesChosenByUser(HWND dialog, const CurveData& data);
