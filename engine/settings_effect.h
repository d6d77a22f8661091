// What the settings do to a pixel, judged by value: nothing at all, only its luma, or more. It
// decides which frame formats an instance can take: any when it changes nothing, Y'CbCr when it
// changes luma alone, RGB otherwise.
#pragma once

#include "engine/curve_data.h"

enum class SettingsEffect : uint8_t {
  kNone,      // every level of every channel comes out as it went in, however the curves are set
  kLumaOnly,  // the master curve on luma, every channel curve's table the identity
  kChannels,  // anything else
};

SettingsEffect EffectOf(const CurveData& data);
