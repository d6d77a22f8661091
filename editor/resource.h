// Resource and control numbers of the configuration dialog. Read by the resource compiler as well
// as by C++, so it holds plain #defines only.
#pragma once

#define IDD_FILTER_CONFIG 101

#define IDC_CURVE_VIEW 1001
#define IDC_RESET 1002
#define IDC_PREVIEW 1007
#define IDC_OUTPUT_BAR 1009
#define IDC_INPUT_BAR 1010
#define IDC_MODE 1011
