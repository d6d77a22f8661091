// Frames in the newer hosts (interface 16 and later), which describe every frame by a pixmap: its
// format code, its planes and pitches, and (through the FilterMod services) the sample range it
// uses. paramProc's answer for each format the host offers, the tables made ready at startProc,
// and runProc's mapping of the frame the host then hands over.
#pragma once

#include <cstdint>

#include "host/filter_abi.h"
#include "host/instance_block.h"

// What the host that registered the module can hand over beyond the pixmaps. It rides in the
// registered definition's private_data, so each registration carries its own.
struct HostAbilities {
  bool frameInfo;    // the activation ends with fma, whose pixmap services give each frame's info
  bool colourModes;  // the info carries the colour space and range modes
};

// paramProc: the flags for the format src's layout names under the settings as they are now, or
// kParamNotSupported. Settings that change nothing take every format the module knows, mapped in
// place (nothing is written); settings that change luma alone take RGB, luma and Y'CbCr, the
// latter in place so that chroma is never copied; any other settings take RGB only. RGB goes to a
// buffer of its own. Working in place copies src's layout into dst's. The format is remembered
// for startProc.
int32_t ChooseFrameFormat(InstanceBlock& block, const VFBitmapEx* src, VFBitmapEx* dst);

// startProc: brings the tables up to date for the format agreed, allocating the 16-bit ones if it
// needs them. 0, or 1 when the memory cannot be had.
int PrepareFrameTables(InstanceBlock& block);

// runProc: maps src's pixmap into dst's and returns 0, or returns 1 having written nothing when
// the frame does not fit its format, its format is not one the settings take, or tables cannot
// be had. info (may be null) gives the samples' reference value and, with colourModes, the
// range; without them 16-bit samples read against 65535 and the range is the format code's.
int MapPixmapFrame(InstanceBlock& block, const Pixmap* src, const Pixmap* dst,
                   const PixmapInfo* info, bool colourModes);
