// The raw pixel formats filterhost reads from stdin and writes to stdout, by ffmpeg's names, and
// the hosts' format code each one is handed to a filter as.
#pragma once

#include <cstdint>
#include <string>

#include "host/pixel_formats.h"

struct RawFormat {
  const char* name;  // ffmpeg's -pix_fmt
  FormatFamily family;
  uint8_t chromaShiftX;
  uint8_t chromaShiftY;
  bool lumaSecond;
  bool alpha;
  int bits;  // significant bits of a sample: 8, or 10 to 16 in 16-bit words
};

// The format of this name, or null.
const RawFormat* FindRawFormat(const std::string& name);
// Every name, separated by '|', for messages and --help.
std::string RawFormatNames();

// The code the hosts give frames of this format, matrix and range: the code that names both
// where there is one, otherwise the one that names neither (the frame's info then says them).
int32_t HostFormatCode(const RawFormat& format, ColourMatrix matrix, ColourRange range);

// The code standing for 8-bit 255 in samples of these bits: 2^bits - 1.
uint32_t DefaultReference(const RawFormat& format);
