#include "host/frame_formats.h"

#include <cstring>

#include "engine/deep_map.h"
#include "engine/frame_map_paths.h"
#include "engine/luma.h"
#include "engine/luma_plane.h"
#include "engine/rgb24_map.h"
#include "host/pixel_formats.h"

namespace {

// One plane of a frame as source and destination see it.
struct PlanePair {
  const unsigned char* src;
  ptrdiff_t srcPitch;
  unsigned char* dst;
  ptrdiff_t dstPitch;
  int32_t rowBytes;
  int32_t height;
};

struct FramePlanes {
  PlanePair plane[kMaxPlanes];  // luma (or the RGB pixels), then chroma, then alpha
  int count;
  bool inPlace;  // every plane's source is its destination
};

bool Takes(SettingsEffect effect, const PixelFormat& format) {
  if (format.family == FormatFamily::kUnknown) return false;
  return effect != SettingsEffect::kChannels || IsRgb(format.family);
}

// RGB goes to a buffer of its own, as it always has; everything else is mapped where it lies.
bool MappedInPlace(SettingsEffect effect, const PixelFormat& format) {
  return effect == SettingsEffect::kNone || !IsRgb(format.family);
}

// A plane whose rows of rowBytes fit between its pitches: the memory beyond is the host's word.
bool PlaneFits(const void* data, ptrdiff_t pitch, int32_t rowBytes, int32_t height) {
  if (data == nullptr) return false;
  const ptrdiff_t step = pitch < 0 ? -pitch : pitch;
  return height == 1 || step >= rowBytes;
}

// The planes src and dst hold for their format, or false when they do not fit it.
bool PlanesOf(const PixelFormat& f, const Pixmap& src, const Pixmap& dst, FramePlanes& planes) {
  PlaneShape shapes[kMaxPlanes];
  planes.count = PlaneShapes(f, src.w, src.h, shapes);
  if (planes.count == 0) return false;
  // The alpha fields exist only in the pixmaps of formats with alpha.
  const PixmapAlpha& a = reinterpret_cast<const PixmapAlpha&>(src);
  const PixmapAlpha& b = reinterpret_cast<const PixmapAlpha&>(dst);
  void* const srcData[kMaxPlanes] = {src.data, src.data2, src.data3, f.alpha ? a.data4 : nullptr};
  void* const dstData[kMaxPlanes] = {dst.data, dst.data2, dst.data3, f.alpha ? b.data4 : nullptr};
  const ptrdiff_t srcPitch[kMaxPlanes] = {src.pitch, src.pitch2, src.pitch3,
                                          f.alpha ? a.pitch4 : 0};
  const ptrdiff_t dstPitch[kMaxPlanes] = {dst.pitch, dst.pitch2, dst.pitch3,
                                          f.alpha ? b.pitch4 : 0};
  planes.inPlace = true;
  for (int i = 0; i < planes.count; ++i) {
    const PlaneShape& s = shapes[i];
    if (!PlaneFits(srcData[i], srcPitch[i], s.rowBytes, s.rows) ||
        !PlaneFits(dstData[i], dstPitch[i], s.rowBytes, s.rows))
      return false;
    planes.plane[i] = {static_cast<const unsigned char*>(srcData[i]), srcPitch[i],
                       static_cast<unsigned char*>(dstData[i]), dstPitch[i], s.rowBytes, s.rows};
    planes.inPlace &= srcData[i] == dstData[i] && srcPitch[i] == dstPitch[i];
  }
  return true;
}

void CopyPlane(const PlanePair& p) {
  if (p.src == p.dst && p.srcPitch == p.dstPitch) return;
  const unsigned char* src = p.src;
  unsigned char* dst = p.dst;
  for (int32_t row = 0;; ++row) {
    std::memcpy(dst, src, static_cast<size_t>(p.rowBytes));
    if (row + 1 == p.height) break;
    src += p.srcPitch;
    dst += p.dstPitch;
  }
}

bool LimitedRange(const PixelFormat& f, const PixmapInfo* info, bool colourModes) {
  // A host's stated range wins over the code's; a code that states none reads as limited.
  if (info != nullptr && colourModes && info->colorRangeMode == 1) return true;
  if (info != nullptr && colourModes && info->colorRangeMode == 2) return false;
  return f.range != ColourRange::kFull;
}

int MapRgb32(const FrameTables& tables, const PlanePair& p, int32_t width) {
  const ptrdiff_t rowBytes = p.rowBytes;
  return MapPlannedFrame(tables.plan, FrameSpan{p.src, p.srcPitch - rowBytes, p.dst,
                                                p.dstPitch - rowBytes, width, p.height});
}

int MapRgb24(const FrameTables& tables, const PlanePair& p) {
  MapRgb24Rows(tables.plan, ByteRows{p.src, p.srcPitch, p.dst, p.dstPitch, p.rowBytes, p.height});
  return 0;
}

int MapRgb64(InstanceBlock& block, const PlanePair& p, int32_t width, const PixmapInfo* info) {
  SampleScale scale;
  if (!ScaleOf(info != nullptr ? info->ref_r : 0, false, scale)) return 1;
  const DeepTables* tables = DeepTablesFor(block.settings, true, scale, block.tables);
  if (tables == nullptr) return 1;
  const MasterTarget target = TargetOf(block.settings);
  const LumaWeights& luma = LumaWeightsOf(target);
  const uint32_t weights[3] = {luma.blue, luma.green, luma.red};  // by word
  MapRgb64Rows(*tables, target != kTargetChannels ? weights : nullptr, scale.mask,
               WordRows{p.src, p.srcPitch, p.dst, p.dstPitch, width, p.height});
  return 0;
}

int MapLuma8(FrameTables& tables, const PixelFormat& f, const PlanePair& p, bool limited) {
  const LumaBytes luma = f.family != FormatFamily::kPacked ? LumaBytes::kEvery
                         : f.lumaSecond                   ? LumaBytes::kSecondOfPair
                                                          : LumaBytes::kFirstOfPair;
  // Without the pair table's memory the plane is still mapped, a byte at a time.
  const LumaPairs* pairs = luma == LumaBytes::kEvery ? LumaPairsFor(limited, tables) : nullptr;
  MapLumaRows(tables.lumaLevels[limited ? 1 : 0], pairs, luma,
              ByteRows{p.src, p.srcPitch, p.dst, p.dstPitch, p.rowBytes, p.height});
  return 0;
}

int MapLuma16(InstanceBlock& block, const PlanePair& p, int32_t width, bool limited,
              const PixmapInfo* info) {
  SampleScale scale;
  // Every plane of Y'CbCr reads against ref_r; hosts may leave the other references 0.
  if (!ScaleOf(info != nullptr ? info->ref_r : 0, limited, scale)) return 1;
  const DeepTables* tables = DeepTablesFor(block.settings, false, scale, block.tables);
  if (tables == nullptr) return 1;
  MapWordRows(tables->master, WordRows{p.src, p.srcPitch, p.dst, p.dstPitch, width, p.height});
  return 0;
}

}  // namespace

int32_t ChooseFrameFormat(InstanceBlock& block, const VFBitmapEx* src, VFBitmapEx* dst) {
  block.tables.format = 0;
  if (src == nullptr || dst == nullptr || src->mpPixmapLayout == nullptr) return kParamNotSupported;
  const PixmapLayout& layout = *src->mpPixmapLayout;
  const PixelFormat format = DescribePixelFormat(layout.format);
  const SettingsEffect effect = EffectOf(block.settings);
  if (!Takes(effect, format)) return kParamNotSupported;
  // An odd width leaves the last pair of a packed row half described.
  if (format.family == FormatFamily::kPacked && layout.w % 2 != 0) return kParamNotSupported;
  int32_t flags = kParamAltFormats | kParamPureTransform;
  if (MappedInPlace(effect, format)) {
    if (dst->mpPixmapLayout == nullptr) return kParamNotSupported;
    *dst->mpPixmapLayout = layout;
    if (format.alpha) {
      reinterpret_cast<PixmapLayoutAlpha*>(dst->mpPixmapLayout)->data4 =
          reinterpret_cast<const PixmapLayoutAlpha&>(layout).data4;
      reinterpret_cast<PixmapLayoutAlpha*>(dst->mpPixmapLayout)->pitch4 =
          reinterpret_cast<const PixmapLayoutAlpha&>(layout).pitch4;
    }
  } else {
    flags |= kParamSwapBuffers;
  }
  block.tables.format = layout.format;
  return flags;
}

int PrepareFrameTables(InstanceBlock& block) {
  UpdateFrameTables(block.settings, block.tables);
  const PixelFormat format = DescribePixelFormat(block.tables.format);
  if (block.tables.effect == SettingsEffect::kNone) return 0;
  // The frames' own reference and range are known only with the frames: these are the most
  // common ones, and a frame that differs rebuilds the tables once.
  SampleScale scale;
  switch (format.family) {
    case FormatFamily::kXrgb64:
      ScaleOf(0, false, scale);
      return DeepTablesFor(block.settings, true, scale, block.tables) != nullptr ? 0 : 1;
    case FormatFamily::kLuma8:
    case FormatFamily::kPlanar8:
    case FormatFamily::kSemiPlanar:
      LumaPairsFor(format.range != ColourRange::kFull, block.tables);  // optional: see MapLuma8
      return 0;
    case FormatFamily::kLuma16:
    case FormatFamily::kPlanar16:
      ScaleOf(0, format.range != ColourRange::kFull, scale);
      return DeepTablesFor(block.settings, false, scale, block.tables) != nullptr ? 0 : 1;
    default: return 0;
  }
}

int MapPixmapFrame(InstanceBlock& block, const Pixmap* src, const Pixmap* dst,
                   const PixmapInfo* info, bool colourModes) {
  if (src == nullptr || dst == nullptr) return 1;
  const PixelFormat format = DescribePixelFormat(src->format);
  if (dst->format != src->format || dst->w != src->w || dst->h != src->h || src->w <= 0 ||
      src->h <= 0)
    return 1;
  UpdateFrameTables(block.settings, block.tables);
  const SettingsEffect effect = block.tables.effect;
  FramePlanes planes;
  if (!Takes(effect, format) || !PlanesOf(format, *src, *dst, planes)) return 1;
  if (effect == SettingsEffect::kNone) {
    for (int i = 0; i < planes.count; ++i) CopyPlane(planes.plane[i]);
    return 0;
  }
  const PlanePair& first = planes.plane[0];
  const bool limited = LimitedRange(format, info, colourModes);
  int result = 1;
  switch (format.family) {
    case FormatFamily::kRgb24: result = MapRgb24(block.tables, first); break;
    case FormatFamily::kXrgb32: result = MapRgb32(block.tables, first, src->w); break;
    case FormatFamily::kXrgb64: result = MapRgb64(block, first, src->w, info); break;
    case FormatFamily::kLuma8:
    case FormatFamily::kPlanar8:
    case FormatFamily::kSemiPlanar:
    case FormatFamily::kPacked: result = MapLuma8(block.tables, format, first, limited); break;
    case FormatFamily::kLuma16:
    case FormatFamily::kPlanar16: result = MapLuma16(block, first, src->w, limited, info); break;
    default: return 1;
  }
  if (result != 0) return result;
  // Chroma and alpha pass through: untouched in place, copied otherwise.
  for (int i = 1; i < planes.count; ++i) CopyPlane(planes.plane[i]);
  return 0;
}
