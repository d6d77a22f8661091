// Drawing of the dialog's three pictures (the curve view, the output bar beside it and the input
// bar below it) and the mapping of dialog mouse positions to curve units. Every operation reads
// the control's client size afresh and draws straight onto the control; nothing is cached, so the
// dialog calls these again whenever the controls may have been repainted.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/curve_data.h"

// Colours beyond the original black and greys: the histogram behind the grid, the curves that
// are not being edited (by CurveIndex; the master dark grey), the current point's marker.
constexpr COLORREF kHistogramColour = RGB(192, 192, 192);
constexpr COLORREF kOtherCurveColours[kCurveCount] = {RGB(96, 96, 96), RGB(240, 140, 140),
                                                      RGB(120, 200, 120), RGB(130, 160, 240)};
constexpr COLORREF kCurrentPointColour = RGB(230, 90, 0);

// What the editor shows beyond the master curve and its points. The defaults draw exactly what
// the original one-curve editor drew.
struct ViewExtras {
  int curve = kCurveMaster;              // the curve being edited (CurveIndex)
  int32_t current = kEmpty;              // its current point's slot, highlighted
  const uint64_t* histogram = nullptr;   // 256 columns of the edited curve's input, or none
};

// Clears the view to its background and draws the dotted quarter grid.
void DrawGrid(HWND view);

// The curve through lut as a connected one-pixel black polyline; does not clear the view.
void DrawCurve(HWND view, const CurveData& data);

// A 16-pixel plus sign around each valid point of slots 0..254.
void DrawPointMarkers(HWND view, const CurveData& data);

// Grid, lut rebuilt from the points, curve, markers, then the host preview asked to render again
// (skipped when the dialog has no preview interface).
void RefreshEditor(HWND view, CurveData& data);

// The same for the curve being edited: the histogram behind the grid, its table rebuilt, the
// other curves that are not the identity in their lighter colours, the edited one in black over
// them, its markers with the current one highlighted, and the preview refresh.
void RefreshEditor(HWND view, CurveData& data, const ViewExtras& extras);

// The grey ramp of the output bar, then the input bar: the mapped colour of each input level
// above the grey of the input level itself. Both ramps spread over the bar's own length, so that
// a bar laid out larger at a higher screen scale is filled from end to end.
void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data);

// The bars for the curve being edited: the output ramp in its channel's colour, and the composed
// result of every curve for each input level in the colours of what is edited.
void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data, int curve);

// Turns a mouse message's position word (dialog client coordinates, x in the low 16 bits, y in
// the high 16 bits, both unsigned) into curve units 0..255, or (-1, -1) when the position is not
// strictly inside the view. The view's client area is found where the dialog actually laid it
// out, which moves and grows with the screen scale.
void MapMouseToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y);
