// GeoTIFF export. libtiff writes the raster and libgeotiff the geographic
// keys: both are small, maintained C libraries that do exactly this one
// thing, where a general raster framework would bring dozens of formats and
// their dependencies into a station program that writes one.
#include "core/export/geotiff.h"

#include <fcntl.h>
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/misc.h"
#include "core/files/gif_read.h"
#include "core/files/new_file.h"
#include "core/orbit/calc_satpos.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"

namespace kelo {

namespace {

constexpr double kStationDegPerRad = 180.0 / 3.1415926;  // as every read-out turns radians into degrees
constexpr int kTempWindow = 5;                           // lines the calibration looks at from each line
constexpr int kFirstIrChan = 3;
constexpr int kLastIrChan = 5;
constexpr int kTiepointValues = 6;                             // raster i, j, k, model x, y, z
constexpr size_t kMaxControlPoints = 65535 / kTiepointValues;  // the tag's count is read as 16 bits

struct TiffCloser {
  void operator()(TIFF* t) const {
    if (t != nullptr) XTIFFClose(t);
  }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// Ground control points every `step` pixels and lines, and at the last line
// and column while they fit: raster position of the sample's centre,
// longitude and latitude in degrees, as the position read-out gives them.
// A TIFF reader takes at most 65535 values in the tie-point tag; a pass too
// long for that gets them a little further apart along the track.
std::vector<double> control_points(PIC_INFO* src, int step) {
  std::vector<double> tie;
  if (!src->orbit.valid || step <= 0) return tie;
  auto every = [](int n, int k) {
    std::vector<int> v;
    for (int i = 0; i < n; i += k) v.push_back(i);
    return v;
  };
  const std::vector<int> xs0 = every(src->width, step);
  int line_step = step;
  std::vector<int> ys = every(src->height, line_step);
  while (xs0.size() * ys.size() > kMaxControlPoints) ys = every(src->height, ++line_step);
  std::vector<int> xs = xs0;
  if (ys.back() != src->height - 1 && xs.size() * (ys.size() + 1) <= kMaxControlPoints)
    ys.push_back(src->height - 1);
  if (xs.back() != src->width - 1 && (xs.size() + 1) * ys.size() <= kMaxControlPoints)
    xs.push_back(src->width - 1);
  for (int y : ys) {
    for (int x : xs) {
      POSITION p;
      if (xy2lonlat(x + src->x_offset, y + src->y_offset, src, &p) == 0) continue;
      const double at[kTiepointValues] = {
          x + 0.5, y + 0.5, 0.0, p.lon * kStationDegPerRad, p.lat * kStationDegPerRad, 0.0};
      tie.insert(tie.end(), at, at + kTiepointValues);
    }
  }
  return tie;
}

bool write_keys(TIFF* tif) {
  GTIF* gt = GTIFNew(tif);
  if (gt == nullptr) return false;
  GTIFKeySet(gt, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic);
  GTIFKeySet(gt, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
  GTIFKeySet(gt, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84);
  const bool ok = GTIFWriteKeys(gt) != 0;
  GTIFFree(gt);
  return ok;
}

int finish(ExportListener& told, SaveReport* report, SaveReport& rep, int status, const std::string& text) {
  rep.status = status;
  rep.message = text;
  told.finished(status < 0 ? ExportOutcome::Error : ExportOutcome::Info, text);
  if (report != nullptr) *report = rep;
  return status;
}

}  // namespace

int save_geotiff(ExportListener* listener, PIC_INFO* src, const VIEW_INFO* view, const GeoTiffRequest& req,
                 const std::string& path, SaveReport* report) {
  ExportListener silent;
  ExportListener& told = listener != nullptr ? *listener : silent;
  SaveReport rep;
  if (src == nullptr || view == nullptr || !src->pic_fp)
    return finish(told, report, rep, -1, "No picture open.");
  const int ch = req.channel;
  if (ch < 1 || ch > kMaxChannels || src->chan_present[ch] == 0)
    return finish(told, report, rep, -1, "No channels selected.");
  const bool grey_file = src->file_type == kKindGIF || src->file_type == kKindPGM ||
                         src->file_type == kKindPGM8 || src->file_type == kKindPPM ||
                         src->file_type == kKindHRI;
  if (req.temperature &&
      (src->file_type != kKindHRPT || src->chan_present[0] == 0 || ch < kFirstIrChan || ch > kLastIrChan))
    return finish(told, report, rep, -1,
                  "Temperatures need channel 3, 4 or 5 of a NOAA recording with its frame header words.");
  const int width = src->width;
  const int height = src->height;
  if (width <= 0 || height <= 0)
    return finish(told, report, rep, -1, "Nothing to save: the picture is empty.");
  const int padded = src->frame.words_padded;
  const int hdr = src->frame.hdr_words;
  const int nch = src->frame.n_channels > 0 ? src->frame.n_channels : 1;
  // Place of the channel among the line's interleaved channels.
  int place = 0;
  for (int n = 1; n < ch; n++) place += src->chan_present[n] != 0 ? 1 : 0;
  size_t cap = 0;
  if (padded <= 0 || !checked_size(static_cast<size_t>(padded), kLineBufFactor, size_t{1} << 28, &cap))
    return finish(told, report, rep, -1, "The picture's line length is not usable.");
  const size_t last_index = grey_file ? static_cast<size_t>(width - 1)
                                      : static_cast<size_t>(hdr) +
                                            static_cast<size_t>(width - 1) * static_cast<size_t>(nch) + place;
  if (last_index >= cap) return finish(told, report, rep, -1, "The picture's line length is not usable.");

  const std::vector<double> tie = control_points(src, req.gcp_step);
  if (tie.empty()) told.warning("The picture has no orbit: the GeoTIFF carries no ground control points.");
  CAL_COEFS cal{};
  if (req.temperature) {
    std::string warning;
    cal = load_cal(src->sat_name, &warning);
    if (!warning.empty()) told.warning(warning);
  }

  const int window = req.temperature ? kTempWindow : 1;
  LineSet lines(padded, window);
  std::vector<uint16_t> g(cap), b(cap);
  std::vector<uint16_t> row16;
  std::vector<float> rowf;
  try {
    if (req.temperature) {
      rowf.assign(static_cast<size_t>(width), 0.0f);
    } else {
      row16.assign(static_cast<size_t>(width), 0);
    }
  } catch (...) {
    return finish(told, report, rep, -1, "Not enough memory to save.");
  }
  if (!lines.ok()) return finish(told, report, rep, -1, "Not enough memory to save.");
  if (src->file_type == kKindGIF && rewind_gif(src) != 0)
    return finish(told, report, rep, -1,
                  strformat("Reading %s again failed; nothing was saved.", src->path.c_str()));

  // The working file: a fresh temporary beside the destination, made
  // exclusively, which takes the name only when complete. libtiff writes
  // through its own copy of the descriptor and closes that copy.
  NewFile out;
  std::string why;
  if (!out.open(path, &why)) return finish(told, report, rep, -1, why);
  const int fd = ::dup(::fileno(out.file().get()));
  TiffHandle tif(fd >= 0 ? XTIFFFdOpen(fd, out.temp_path().c_str(), "w") : nullptr);
  if (!tif && fd >= 0) ::close(fd);
  auto abandon = [&](int status, const std::string& text) {
    tif.reset();
    out.remove();
    return finish(told, report, rep, status, text);
  };
  if (!tif) return abandon(-1, strformat("Can't open file %s.", path.c_str()));
  const std::string failed = strformat("Writing %s failed; nothing was saved.", path.c_str());
  TIFF* t = tif.get();
  bool ok =
      TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width)) == 1 &&
      TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height)) == 1 &&
      TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1) == 1 &&
      TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, req.temperature ? 32 : 16) == 1 &&
      TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, req.temperature ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT) == 1 &&
      TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) == 1 &&
      TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) == 1 &&
      TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) == 1 &&
      TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0)) == 1 &&
      TIFFSetField(t, TIFFTAG_SOFTWARE, "kelo") == 1;
  if (ok && req.temperature) {
    // The no-data value is GDAL's own tag, which libtiff must first be told.
    static const TIFFFieldInfo kNoData[] = {{TIFFTAG_GDAL_NODATA, TIFF_VARIABLE, TIFF_VARIABLE, TIFF_ASCII,
                                             FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")}};
    ok = TIFFMergeFieldInfo(t, kNoData, 1) == 0 && TIFFSetField(t, TIFFTAG_GDAL_NODATA, "-9999") == 1;
  }
  if (ok && !tie.empty()) {
    ok = TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, static_cast<uint32_t>(tie.size()), tie.data()) == 1 &&
         write_keys(t);
  }
  if (!ok) return abandon(-1, failed);

  told.progress_begin(height);
  for (int y = 0; y < height; y++) {
    // The line (and, for temperatures, the following ones the calibration
    // looks at), read as the probe and the picture pass read them.
    int linemap[1] = {y};
    const int status =
        read_lines(view, src, linemap, 0, window, lines.get(), g.data(), b.data(), nullptr, lines.memory());
    uint16_t* line = lines[0];
    auto index = [&](int x) {
      return grey_file ? static_cast<size_t>(x)
                       : static_cast<size_t>(hdr) + static_cast<size_t>(x) * static_cast<size_t>(nch) + place;
    };
    if (req.temperature) {
      // A line without calibration keeps raw counts: no data there, and
      // where the radiance has no temperature (stored as 0).
      const bool calibrated = status != 0 && noaa_line_calibrated(line, src, ch);
      if (calibrated) {
        NoaaTempState state;
        map_noaatemp(lines.get(), window, &cal, src, view, &state);
      }
      for (int x = 0; x < width; x++) {
        const uint16_t v = line[index(x)];
        rowf[static_cast<size_t>(x)] = calibrated && v != 0 ? static_cast<float>(v) / 10.0f : kGeoTiffNoData;
      }
    } else {
      for (int x = 0; x < width; x++) row16[static_cast<size_t>(x)] = status != 0 ? line[index(x)] : 0;
    }
    if (told.progress_update(y, height)) {
      told.progress_end();
      return abandon(1, "Cancelled; nothing was saved.");
    }
    void* data = req.temperature ? static_cast<void*>(rowf.data()) : static_cast<void*>(row16.data());
    if (TIFFWriteScanline(t, data, static_cast<uint32_t>(y), 0) != 1) {
      told.progress_end();
      return abandon(-1, failed);
    }
    rep.rows_written++;
  }
  told.progress_end();
  rep.rows_total = height;
  // The directory and the last strip go out with the flush; closing then
  // only lets go of the descriptor.
  if (TIFFFlush(t) != 1) return abandon(-1, failed);
  tif.reset();
  if (!out.commit(true, &why)) return finish(told, report, rep, -1, why);
  return finish(
      told, report, rep, 0,
      strformat("Saved in %s; %zu ground control points.", path.c_str(), tie.size() / kTiepointValues));
}

}  // namespace kelo
