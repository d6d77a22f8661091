#include "tools/filterhost/picture_io.h"

#include "tools/filterhost/module_host.h"  // the frame-size limit

#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

uint32_t Pixel(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// False when the memory for the copy cannot be had.
bool ToRgb(const Picture& picture, std::vector<unsigned char>& rgb) {
  if (!Resized(rgb, picture.pixels.size() * 3)) return false;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const uint32_t p = picture.pixels[i];
    rgb[3 * i] = static_cast<unsigned char>(p >> 16);
    rgb[3 * i + 1] = static_cast<unsigned char>(p >> 8);
    rgb[3 * i + 2] = static_cast<unsigned char>(p);
  }
  return true;
}

bool Writable(const Picture& picture, const std::string& path, std::string& error) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
    error = "cannot write " + path + ": the picture is empty";
    return false;
  }
  return true;
}

}  // namespace

bool ReadPicture(const std::string& path, Picture& picture, std::string& error) {
  int width = 0, height = 0, channels = 0;
  if (stbi_info(path.c_str(), &width, &height, &channels) == 0) {
    const char* const reason = stbi_failure_reason();
    error = "cannot read picture " + path + ": " +
            (reason != nullptr && std::string(reason) == "can't fopen"
                 ? std::string("cannot open the file")
                 : std::string("not a PNG or BMP picture") +
                       (reason != nullptr ? std::string(" (") + reason + ")" : ""));
    return false;
  }
  if (!FrameSizeFits(width, height)) {
    error = "cannot read picture " + path + ": " + std::to_string(width) + "x" +
            std::to_string(height) + " is larger than this host takes";
    return false;
  }
  // Refused on the header's word, before the decoder allocates anything.
  if (!FrameBuffersFit(width, height)) {
    error = "cannot read picture " + path + ": " + FramesBeyondAddressSpaceMessage(width, height);
    return false;
  }
  unsigned char* const rgb = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (rgb == nullptr) {
    const char* const reason = stbi_failure_reason();
    error = "cannot read picture " + path + ": " +
            (reason != nullptr && std::string(reason) == "outofmem"
                 ? NoMemoryForFramesMessage(width, height)
                 : std::string(reason != nullptr ? reason : "damaged file"));
    return false;
  }
  if (!Resized(picture.pixels, static_cast<size_t>(width) * static_cast<size_t>(height))) {
    stbi_image_free(rgb);
    error = "cannot read picture " + path + ": " + NoMemoryForFramesMessage(width, height);
    return false;
  }
  picture.width = width;
  picture.height = height;
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = Pixel(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  }
  stbi_image_free(rgb);
  return true;
}

bool WritePng(const std::string& path, const Picture& picture, std::string& error) {
  if (!Writable(picture, path, error)) return false;
  std::vector<unsigned char> rgb;
  if (!ToRgb(picture, rgb)) {
    error = "cannot write " + path + ": " + NoMemoryForFramesMessage(picture.width, picture.height);
    return false;
  }
  if (stbi_write_png(path.c_str(), picture.width, picture.height, 3, rgb.data(),
                     picture.width * 3) == 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool WriteBmp(const std::string& path, const Picture& picture, std::string& error) {
  if (!Writable(picture, path, error)) return false;
  std::vector<unsigned char> rgb;
  if (!ToRgb(picture, rgb)) {
    error = "cannot write " + path + ": " + NoMemoryForFramesMessage(picture.width, picture.height);
    return false;
  }
  if (stbi_write_bmp(path.c_str(), picture.width, picture.height, 3, rgb.data()) == 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

Picture SamplePicture() {
  constexpr int32_t kWidth = 512, kHeight = 256;
  // Patches: two skin tones, sky, foliage, orange, purple, yellow, middle grey.
  static const int kPatches[8][3] = {{115, 82, 68},  {194, 150, 130}, {98, 122, 157},
                                     {87, 108, 67},  {214, 126, 44},  {94, 60, 108},
                                     {231, 199, 31}, {128, 128, 128}};
  Picture picture;
  picture.width = kWidth;
  picture.height = kHeight;
  picture.pixels.resize(static_cast<size_t>(kWidth) * kHeight);
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const int ramp = x * 255 / (kWidth - 1);
      uint32_t p;
      if (y < 64) {
        p = Pixel(ramp, ramp, ramp);
      } else if (y < 112) {
        const int step = x / (kWidth / 16) * 17;
        p = Pixel(step, step, step);
      } else if (y < 132) {
        p = Pixel(ramp, 0, 0);
      } else if (y < 152) {
        p = Pixel(0, ramp, 0);
      } else if (y < 172) {
        p = Pixel(0, 0, ramp);
      } else if (y < 176) {
        p = 0;
      } else {
        const int* const c = kPatches[x / (kWidth / 8)];
        p = Pixel(c[0], c[1], c[2]);
      }
      picture.pixels[static_cast<size_t>(y) * kWidth + x] = p;
    }
  }
  return picture;
}
