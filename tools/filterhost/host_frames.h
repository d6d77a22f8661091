// Frames as the newer hosts (interface 16 and later) hand them over: one buffer holding every
// plane with padding after each row (XRGB8888 stored bottom-up, as the editors store it), the
// layout paramProc sees (planes as offsets into the buffer), the pixmap runProc sees (planes as
// addresses), the frame's info and the bitmap descriptor that carries them. Raw frames, as ffmpeg
// writes and reads them (planes one after another, rows packed), go in and out of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/filter_abi.h"
#include "host/pixel_formats.h"

// What a frame is: its format code, its size and what the host says of its samples.
struct FrameShape {
  int32_t code;
  int32_t width;
  int32_t height;
  PixmapInfo info;
};

// The records of one frame as a host hands them to a filter.
struct FrameView {
  VFBitmapEx bitmap;
  PixmapLayoutAlpha layout;
  PixmapAlpha pixmap;
  PixmapInfo info;

  // Points the pixmap's planes (and the old fields, plane 0 only, as the editors fill them) at
  // `buffer` as the layout places them.
  void Bind(unsigned char* buffer);
  // The pixmap's planes, as many as its format has.
  int Planes(unsigned char* (&data)[kMaxPlanes], ptrdiff_t (&pitch)[kMaxPlanes],
             PlaneShape (&shapes)[kMaxPlanes]) const;
};

// A frame's buffer and its view, laid out the way this host lays out its frames.
struct HostFrame {
  std::vector<unsigned char> buffer;
  FrameView view;

  // Lays out and allocates a frame of this shape, `padding` bytes after every row (different for
  // source and destination, so a filter that mixes up their pitches shows it). False when the
  // memory cannot be had or the format is unknown.
  bool Allocate(const FrameShape& shape, int32_t padding);
};

// Bytes of one raw frame of this shape, 0 for an unknown format.
uint64_t RawFrameBytes(const FrameShape& shape);
// Whether the buffers a host holds at once for frames of this shape (the frame as read, the
// source and destination frames with their padding, the frame as written) add up to something
// this process can address. Past this check no buffer size computed for the shape overflows.
bool FrameBytesFit(const FrameShape& shape);
// Raw frame bytes into a view's planes, and out of them.
void ReadRawFrame(const unsigned char* raw, const FrameView& view);
void WriteRawFrame(const FrameView& view, unsigned char* raw);
