// The filter's configuration dialog: the host's configProc callback and the dialog procedure,
// where every message arrives and is handed to the file that owns it. Every edit goes straight
// into the instance's CurveData; Cancel puts back the curves saved when the dialog opened.
#pragma once

#include <windows.h>

struct FilterActivation;
struct FilterFunctions;

// Runs the dialog modally over `owner` and returns its end code: 0 after Apply and after Cancel
// alike, the platform's failure result when the dialog cannot be created.
int ConfigProc(FilterActivation* fa, const FilterFunctions* ff, HWND owner);

// The dialog procedure; the CurveData pointer arrives as the WM_INITDIALOG parameter.
INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
