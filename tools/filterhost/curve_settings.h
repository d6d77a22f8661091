// What filterhost does with tonarc's own settings beyond what any host does: export them as a
// LUT file other programs read, and make automatic curves from a picture. Both work on the
// instance's block, which for tonarc's filter is its settings record; any other filter is
// refused with a message.
#pragma once

#include <string>

#include "tools/filterhost/module_host.h"
#include "tools/filterhost/picture_io.h"

// Writes the instance's settings as a .cube file at path.
bool ExportCube(FilterInstance& instance, const std::string& path, std::string& error);

enum class AutoCurves { kContrast, kColour };

// Auto contrast or Auto colour from the picture's levels, applied to the instance through its
// settings line, as a stored script would. When the levels leave nothing to stretch the instance
// is left as it was and `note` says why.
bool ApplyAutoCurves(FilterInstance& instance, AutoCurves which, const Picture& picture,
                     std::string& note, std::string& error);
