// Frames in the newer hosts (interface 16 and later), which describe every frame by a pixmap: its
// format code, its planes and pitches, and (through the FilterMod services) the sample range it
// uses. paramProc's answer for each format the host offers, and runProc's mapping of the frame
// the host then hands over.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "host/filter_abi.h"

// What the host that registered the module can hand over beyond the pixmaps. It rides in the
// registered definition's private_data, so each registration carries its own.
struct HostAbilities {
  bool frameInfo;    // the activation ends with fma, whose pixmap services give each frame's info
  bool colourModes;  // the info carries the colour space and range modes
};

// paramProc: the flags for the format src's layout names under these settings, or
// kParamNotSupported. Accepting a format that is mapped in place copies src's layout into dst's.
int32_t ChooseFrameFormat(const CurveData& data, const VFBitmapEx* src, VFBitmapEx* dst);

// runProc: maps src's pixmap into dst's and returns 0, or returns 1 having written nothing when
// the frame does not fit its format or its format is not one the settings take.
int MapPixmapFrame(const CurveData& data, const Pixmap* src, const Pixmap* dst);
