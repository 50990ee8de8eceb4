// GeoTIFF export: one channel of the picture at full size, as raw samples
// (16-bit) or, for NOAA channels 3-5, brightness temperatures in kelvin
// (32-bit float, no data where a line has no calibration), carrying ground
// control points in longitude/latitude on WGS-84 on a regular grid of
// pixels and lines, placed by the picture's orbit model. Written with
// libtiff and libgeotiff into the working ".part" file, renamed over the
// wanted name when complete.
#pragma once

#include <string>

#include "core/base/records.h"
#include "core/export/export_listener.h"
#include "core/export/file_save.h"

namespace kelo {

inline constexpr int kGeoTiffGcpStep = 32;         // pixels and lines between control points
inline constexpr float kGeoTiffNoData = -9999.0f;  // temperature of a sample without calibration

struct GeoTiffRequest {
  int channel = 0;           // 1 .. 10, the channel written
  bool temperature = false;  // channel 3-5 of a NOAA recording: kelvin
  int gcp_step = kGeoTiffGcpStep;
};

// Writes `src` (the open picture, read as `view` reads it) to `path`.
// Progress, cancel and the final "Info"/"Error" text go to `listener` (may be
// null). 0 saved, 1 cancelled, -1 failed; no file is left behind unless
// saved.
[[nodiscard]] int save_geotiff(ExportListener* listener, PIC_INFO* src, const VIEW_INFO* view,
                               const GeoTiffRequest& request, const std::string& path,
                               SaveReport* report = nullptr);

}  // namespace kelo
