// The block the host allocates for each instance: the settings, then the tables the frames are
// mapped through, derived from them. The settings come first, so that every part of the module
// that knows only the settings (the dialog, the script text) reads the block as CurveData.
#pragma once

#include "engine/curve_data.h"
#include "engine/frame_tables.h"

struct InstanceBlock {
  CurveData settings;
  FrameTables tables;
};
