// The file dialogs behind Load... and Save..., and the file types Save... offers: the type of a
// file to save is told by its name's extension, or by the type chosen in the dialog when the name
// has none of the three.
#pragma once

#include <windows.h>

enum class SaveType { kCurves, kCube, kTable };

// Asks for a file to load; false when the user cancels. Any file may be picked: what it holds,
// not its name, decides how it is read.
bool ChooseFileToLoad(HWND dialog, char (&path)[MAX_PATH]);

// Asks where to save and in which type (the one chosen in the dialog's list); false when the user
// cancels. A name typed without an extension gets the chosen type's.
bool ChooseFileToSave(HWND dialog, char (&path)[MAX_PATH], SaveType& type);

// The type a file name's extension names (.acv, .cube, .amp, in any case), or `otherwise`.
SaveType SaveTypeOfName(const char* path, SaveType otherwise);
