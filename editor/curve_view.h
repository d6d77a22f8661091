// Drawing of the dialog's three pictures: the curve view, the output bar beside it and the input
// bar below it. Every operation reads the control's client size afresh and draws straight onto
// the control what the record holds; nothing is cached, so the dialog calls these again whenever
// the controls may have been repainted. Drawing changes nothing: the tables are rebuilt, and the
// host's preview asked for the frame again, by the edit that changed the settings.
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

// The whole view: grid, the curve through lut, markers.
void RefreshEditor(HWND view, const CurveData& data);

// The same for the curve being edited: the histogram behind the grid, the other curves that are
// not the identity in their lighter colours, the edited one in black over them, its markers with
// the current one highlighted.
void RefreshEditor(HWND view, const CurveData& data, const ViewExtras& extras);

// The grey ramp of the output bar, then the input bar: the mapped colour of each input level
// above the grey of the input level itself. Both ramps spread over the bar's own length, so that
// a bar laid out larger at a higher screen scale is filled from end to end.
void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data);

// The bars for the curve being edited: the output ramp in its channel's colour (grey for the
// master, on luma too), and what each grey input level comes out as through every curve, in the
// colours of what is edited.
void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data, int curve);
