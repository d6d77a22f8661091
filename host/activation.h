// What the module takes from the host's records: the instance behind an activation, the module's
// own instance handle and the preview window the host names in it, and the pixels of a frame the
// preview hands over. Code outside host/ reads the host's records only through these.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "host/filter_abi.h"

inline CurveData& InstanceOf(const FilterActivation* fa) {
  return *static_cast<CurveData*>(fa->filter_data);
}

// The instance handle of the module file the host loaded the filter from, or null when the host
// names none.
inline HINSTANCE__* ModuleHandleOf(const FilterActivation* fa) {
  if (fa->filter == nullptr || fa->filter->module == nullptr) return nullptr;
  return fa->filter->module->hInstModule;
}

// The host's preview window for the dialog, or null when the host offers none.
inline IFilterPreview* PreviewOf(const FilterActivation* fa) { return fa->ifp; }

// A frame of 32-bit pixels whose rows lie `pitch` bytes apart (either sign).
struct FramePixels {
  const void* data;
  int32_t width;
  int32_t height;
  ptrdiff_t pitch;
};

// The frame a preview's sample callback receives; false when there is none, or when it is not
// 32-bit RGB: the newer hosts hand over the filter's input in its own format, and for any other
// format their old fields describe one plane of it (depth 0), not 32-bit pixels.
inline bool PixelsOfSample(const void* frame, FramePixels& pixels) {
  const VFBitmap* bitmap = static_cast<const VFBitmap*>(frame);
  if (bitmap == nullptr || bitmap->data == nullptr || bitmap->depth != 32) return false;
  pixels = FramePixels{bitmap->data, bitmap->w, bitmap->h, bitmap->pitch};
  return true;
}
