// The line around the curve view, outside it, that shows the view has the keyboard focus: the
// keys that move points go there. Drawn in the current point's colour, and in the dialog's
// background colour when the view loses the focus.
#pragma once

#include <windows.h>

void DrawFocusCue(HWND dialog);
