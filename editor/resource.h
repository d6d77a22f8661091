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

// Controls of the four-curve editor, beside the original ones; labels have no number of their own.
#define IDC_STATIC (-1)
#define IDC_MODE_LABEL 1012
#define IDC_CURVE 1013
#define IDC_KIND 1014
#define IDC_PRESET 1015
#define IDC_POINT_INPUT 1016
#define IDC_POINT_OUTPUT 1017
#define IDC_SAMPLE 1018
#define IDC_LOAD 1019
#define IDC_SAVE 1020
#define IDC_UNDO 1021
#define IDC_REDO 1022
#define IDC_AUTO_CONTRAST 1023
#define IDC_AUTO_COLOUR 1024
