// The block the host allocates for each instance: the settings, then the tables the frames are
// mapped through, derived from them. The settings come first, so that every part of the module
// that knows only the settings (the dialog, the script text) reads the block as CurveData.
#pragma once

#include <cstddef>

#include "engine/curve_data.h"
#include "engine/frame_tables.h"

struct InstanceBlock {
  CurveData settings;
  FrameTables tables;
};

// Code that knows only the settings reads the block from its start.
static_assert(offsetof(InstanceBlock, settings) == 0, "InstanceBlock layout");
