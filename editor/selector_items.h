// The dialog's drop-down selectors (mode, curve, kind, preset) as lists of names: filling one,
// reading the item it shows, and making its open list wider than the closed field.
#pragma once

#include <windows.h>

// Adds `count` names to the selector in their order, so an item's index is its name's.
void FillSelector(HWND dialog, int id, const char* const* names, int count);

// The item a selector shows now, -1 for none.
int SelectedItem(HWND dialog, int id);

// Makes the selector's open list `width` dialog units wide; the closed field keeps its place and
// width.
void WidenSelectorList(HWND dialog, int id, LONG width);
