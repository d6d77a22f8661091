// Pictures for the filter host: PNG and BMP in, PNG out, and the built-in sample picture. A
// picture is kept top row first as 32-bit pixels in the filters' order (blue in bits 0-7, green
// 8-15, red 16-23); the top byte is not alpha and is never written to a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // width * height, top row first
};

bool ReadPicture(const std::string& path, Picture& picture, std::string& error);
bool WritePng(const std::string& path, const Picture& picture, std::string& error);
// The same picture as a 24-bit BMP (used by tests to feed the BMP reader).
bool WriteBmp(const std::string& path, const Picture& picture, std::string& error);

// 512 x 256: a smooth grey ramp, sixteen grey steps, red, green and blue ramps and a row of
// colour patches, so the effect of a tone curve on each channel is plain to see.
Picture SamplePicture();
