// filterhost --configure: opens a filter instance's configuration dialog as a video host does,
// with a live preview. The preview window shows the picture mapped through the instance as it is
// edited; the dialog's Preview button shows and hides it.
#pragma once

#include <string>

#include "tools/filterhost/module_host.h"
#include "tools/filterhost/picture_io.h"

// Runs the instance's configProc modally with a preview of `picture`; returns when the dialog is
// closed, whichever way. Fails when the filter has no configuration dialog or it could not be
// opened.
bool ConfigureInstance(FilterInstance& instance, const FilterFunctions& services,
                       const Picture& picture, std::string& error);
