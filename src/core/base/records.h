// The program records: what is open, how it is shown, what is recorded.
//
// Plain structs with the field names the whole program uses. Every record is
// value-initialised (all zero / empty) when created with `T{}` or
// `std::make_unique<T>()`, which is how start-up and the recorders make them.
// Text fields are std::string; where a length limit is visible in a file or
// to the operator, the writer of that file or field enforces it (see the
// constants below).
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "core/base/kfile.h"

namespace kelo {

// Broken-down UTC time without time zone: second, minute, hour, day of month
// (1-31), month (0-11), years since 1900, weekday, day of year (0-365),
// daylight flag -- the standard library's record.
using BrokenTime = std::tm;

// ---------------------------------------------------------------- limits
inline constexpr int kSatNameMax = 39;    // PIC_INFO/RECORD_INFO sat_name: char[40]
inline constexpr int kUsbIdMax = 30;      // usb_id copied into RECORD_INFO
inline constexpr int kNameFieldMax = 29;  // base/extension fields: char[30]
inline constexpr int kMaxChannels = 10;   // CHRPT carries ten picture channels
inline constexpr int kLutEntries = 4096;  // translation table and histogram size

// ---------------------------------------------------------------- file kinds
// What a file holds. The numbers are the kind codes the export tables, the
// emulator's source description and the batch log use.
enum class FileKind : int {
  None = 0,     // cannot be opened
  Unknown = 1,  // unrecognised
  Sun = 2,      // export name table only
  Tiff = 3,     // export name table only
  PPM = 4,
  PGM = 5,
  PGM8 = 6,  // PGM/PPM kind used only by the writer
  GIF = 7,
  HRPT = 8,
  CHRPT = 9,
  SeaStar = 10,
  HRI = 11,
  AHRPT = 12,
  PNG = 13,  // written by the export only
};
inline constexpr FileKind kKindNone = FileKind::None;
inline constexpr FileKind kKindUnknown = FileKind::Unknown;
inline constexpr FileKind kKindSun = FileKind::Sun;
inline constexpr FileKind kKindTiff = FileKind::Tiff;
inline constexpr FileKind kKindPPM = FileKind::PPM;
inline constexpr FileKind kKindPGM = FileKind::PGM;
inline constexpr FileKind kKindPGM8 = FileKind::PGM8;
inline constexpr FileKind kKindGIF = FileKind::GIF;
inline constexpr FileKind kKindHRPT = FileKind::HRPT;
inline constexpr FileKind kKindCHRPT = FileKind::CHRPT;
inline constexpr FileKind kKindSeaStar = FileKind::SeaStar;
inline constexpr FileKind kKindHRI = FileKind::HRI;
inline constexpr FileKind kKindAHRPT = FileKind::AHRPT;
inline constexpr FileKind kKindPNG = FileKind::PNG;

// The kind code of a kind (messages and file names of the tests).
constexpr int file_kind_code(FileKind kind) { return static_cast<int>(kind); }

// How the columns of a picture run. 0 until a reader or the preferences set it.
enum class Orientation : int {
  Unset = 0,
  Normal = 3,     // west on the left: the satellite flew south
  FromSouth = 4,  // seen from the south: columns mirrored (a northbound pass)
};

// Which way the lines of a picture run on the screen. The numbers are the
// recording headers' and the preferences' codes. 0 until set.
enum class ScanDir : int {
  Unset = 0,
  TopDown = 1,   // north at the top ("N_S")
  BottomUp = 2,  // south at the top ("S_N")
};

// Which satellite family a picture or a recording comes from; the family
// decides how the identification word of a frame header is read.
enum class SatKind : int {
  Unknown = 0,
  NOAA = 1,
  FengYun = 2,
  SeaWiFS = 3,
  HRI = 4,
  Meteor = 12,
};

// Result codes of opening and of the header readers.
enum OpenResult : int {
  kOpenOk = 0,
  kErrDepth = 'd',  // 100: picture depth not supported
  kErrOpen = 'o',   // 111: cannot open
  kErrNoPic = 'p',  // 112: no picture found
  kErrRead = 'r',   // 114: read problem
  kErrType = 't',   // 116: unrecognised file type
};

// Line status bits returned by the line readers.
inline constexpr int kLineRead = 0x01;
inline constexpr int kLinePreSync = 0x0C;   // frame sync at the start of this line
inline constexpr int kLinePostSync = 0xE0;  // frame sync of the following line

// Which backend reaches the decoder's port (core/record/port.h). The numbers
// are the codes the preferences once stored; "Decoder_backend" stores a name.
enum class PortBackendKind : int {
  Auto = 0,      // ppdev when a device has the port's address, else direct
  Ppdev = 1,     // /dev/parportN through its ioctls
  Direct = 2,    // ioperm + in/out instructions (x86, root)
  Emulator = 3,  // the software decoder
};

// ---------------------------------------------------------------- geometry
// Line geometry of a recording (HRPT1; reused with other meanings by HRI1
// and AHRPT, see their readers).
struct FRAME_GEOM {
  int words_per_line = 0;
  int words_padded = 0;
  int line_bytes = 0;
  int hdr_words = 0;
  int tail_words = 0;
  int n_channels = 0;
  int spare = 0;
};

// A decoded HRPT minor-frame header.
struct FRAME_HDR {
  uint16_t sync[6] = {};
  int id_flag9 = 0;
  uint16_t minor_frame = 0;
  uint16_t sc_addr = 0;
  int id_flag2 = 0;
  uint16_t day = 0;
  int msec = 0;
  std::string sat_name;  // at most 20 characters
  BrokenTime time = {};
  uint16_t time_ms = 0;
};

// HRI picture facts of an HRI1 file.
struct HRI_CHAN {
  int line_len = 0;
  int nlines = 0;
  int double_res = 0;
};

struct HRI_INFO {
  std::string sat_name;   // at most 31 characters
  HRI_CHAN chan[5] = {};  // element 0 carries nothing
  bool encrypted = false;
  int format = 0;  // frames per segment, 4 or 8
  int nseg = 0;
  int first_frame = 0;
  int data_off = 0;
};

// ---------------------------------------------------------------- orbit
// One two-line element set; angles in radians, values in single precision.
struct KEPLER {
  int32_t epoch_year = 0;  // years since 1900
  float epoch_day = 0;
  float decay = 0;
  float inclination = 0;
  float raan = 0;
  float eccentricity = 0;
  float perigee = 0;
  float anomaly = 0;
  float motion = 0;
  int32_t revnum = 0;
  // Kept from a two-line set for the precise orbit model: the epoch day in
  // full (single precision holds it to about a second) and the drag term.
  // Never stored in a recording header.
  double epoch_day_exact = 0;
  double bstar = 0;
};

// The simple model: circular orbit, year-blind earth rotation, spherical
// earth. The precise one: SGP4/SDP4, sidereal angle of the date, AVHRR scan
// geometry on the WGS-84 ellipsoid.
enum class OrbitModel : uint8_t { Simple, Precise };

// Derived orbit constants, the picture's times and the operator's corrections.
struct ORBIT {
  bool valid = false;
  BrokenTime start_tm = {};
  int32_t start_ms = 0;
  BrokenTime start_tm_sat = {};
  int32_t start_ms_sat = 0;
  BrokenTime start_tm_comp = {};
  int32_t epoch_t = 0;
  BrokenTime epoch_tm = {};
  int32_t epoch_ms = 0;
  float height = 0;
  float period = 0;
  float perigee_rate = 0;
  float node_rate = 0;
  float node_shift = 0;
  bool use_sattime = false;
  int32_t offset_gmt = 0;
  int32_t offset_sec = 0;
  float offset_lon = 0;
  // Which model turns a pixel into longitude/latitude (the preference
  // "Orbit_model"); the simple one unless the station asks for the other.
  OrbitModel model = OrbitModel::Simple;
};

struct POSITION {
  float x = 0, y = 0, z = 0, lon = 0, lat = 0;
};

// What the orbit model keeps of the picture it places (calc_satpos.cpp): the
// satellite and earth positions of the last line placed, with everything they
// were computed from, and the earth-centre angle of every scan position. Each
// picture owns its own, so two pictures open at once never answer from each
// other's positions. A copy of a picture starts with the same values; they
// stay right for it because every answer is checked against its inputs.
struct SATPOS_LINE {
  bool filled = false;
  int y = -1;
  int lines_per_sec = 0;
  KEPLER kepler;
  BrokenTime start_tm = {};
  int start_ms = 0;
  int use_sattime = 0;
  int offset_gmt = 0;
  int offset_sec = 0;
  BrokenTime epoch_tm = {};
  int epoch_ms = 0;
  float perigee_rate = 0;
  float node_rate = 0;
  // what was computed for the line
  POSITION pos_sat;
  POSITION pos_earth;
  float node_shift = 0;
  double sin_incl = 0;
  double cos_incl = 0;
};
struct SATPOS_SCAN_ROW {
  float angle = 0;
  double sin_b = 0;
  double cos_b = 0;
};
// The precise model's memory of the last line placed (precise_orbit.cpp):
// the propagator state made from the elements, and the satellite's position,
// velocity and the earth's sidereal angle at the line's time.
struct Sgp4State;
struct SATPOS_PRECISE {
  std::shared_ptr<const Sgp4State> sgp4;  // for `kepler`, shared by copies of the picture
  KEPLER kepler;
  bool filled = false;  // the line below
  int y = -1;
  int lines_per_sec = 0;
  BrokenTime start_tm = {};
  int start_ms = 0;
  bool use_sattime = false;
  int offset_gmt = 0;
  int offset_sec = 0;
  double r[3] = {}, v[3] = {};  // km, km/s, inertial
  double sidereal = 0;          // radians
  // the view frame at the line's time (scan_geometry.h's ScanFrame)
  double nadir[3] = {}, side[3] = {}, along[3] = {};
  // scan angle table, for this width and half angle
  int scan_pixels = -1;
  double scan_half_angle = -1;
  std::vector<double> scan_sin, scan_cos;
};
struct SATPOS_CACHE {
  SATPOS_LINE line;
  // the scan table, for this height, line width and scan angle
  float scan_height = -1;
  int scan_pixels = -1;
  float scan_angle = -1;
  std::vector<SATPOS_SCAN_ROW> scan;
  SATPOS_PRECISE precise;
};

// ---------------------------------------------------------------- GIF coder
// Coder state of the GIF reader and writer; fixed tables, no allocation per
// line.
inline constexpr int kLzwTableSize = 4096;  // 12-bit codes
inline constexpr int kGifHashSize = 5003;   // prime above 4096 * 1.2

struct LZW_STATE {
  // reader
  uint16_t width = 0, height = 0;
  int code_width = 0;
  int clear_code = 0;
  int end_code = 0;
  int first_free = 0;
  int next_free = 0;
  int limit = 0;  // 2^code_width
  int min_code_size = 0;
  int prev_code = 0;
  int first_char = 0;
  uint8_t stack[kLzwTableSize] = {};
  uint8_t suffix[kLzwTableSize] = {};
  uint16_t prefix[kLzwTableSize] = {};
  int first_line = 0;
  // reader position, kept per picture so two open pictures never share it:
  // the current data sub-block and bit accumulator, the pending string
  // stack, the last decoded line (and a copy of it for a repeated request)
  uint8_t rd_block[256] = {};
  int rd_block_len = 0, rd_block_pos = 0;
  uint32_t rd_bits = 0;
  int rd_nbits = 0;
  int rd_data_end = 0;  // block terminator or end of file reached
  int rd_done = 0;      // end code seen or the data is damaged
  int stack_ptr = 0;
  int last_line = -1;
  std::vector<uint16_t> last_buf;
  // An interlaced image is decoded whole at its first read: its rows in
  // display order (an empty row was never reached) and which came complete.
  int interlaced = 0;
  int whole_decoded = 0;
  std::vector<std::vector<uint8_t>> whole_rows;
  std::vector<uint8_t> whole_row_ok;
  // writer
  int w_width = 0;
  int w_height = 0;
  int bits_per_pixel = 0;
  int code_size = 0;
  int max_code = 0;
  int w_clear_code = 0;
  int w_next_free = 0;
  int cur_prefix = 0;
  uint8_t block[256] = {};
  int block_fill = 0;
  uint32_t bit_acc = 0;
  int bit_count = 0;
  int32_t hash_code[kGifHashSize] = {};
  uint16_t hash_value[kGifHashSize] = {};
};

// ---------------------------------------------------------------- view
struct ZOOM {
  float zx = 0, zy = 0;  // relative to the whole picture fitting the window
  float dx = 0, dy = 0;  // screen pixels per picture pixel / line
  int ox = 0, oy = 0;    // picture column / line at the left / top edge
};

// How the picture is shown (one per main window).
struct VIEW_INFO {
  int redraw_pending = 0;
  ZOOM zoom;
  ZOOM zoom_last;
  int lmin = 0, lmax = 0;
  std::vector<int> lin_tbl;  // 2 * pixels_per_chan entries, empty when none
  std::vector<int> lin_inv;  // width entries, empty when none
  bool show_xy = false;
  int hist[kLutEntries] = {};
  bool invert = false;
  float gamma = 0;
  Orientation orientation = Orientation::Unset;
  ScanDir scan_dir = ScanDir::Unset;
  int chan_sel[kMaxChannels + 1] = {};
  bool linearize = false;
  bool despeckle_on = false;
  bool grid_on = false;
  bool zoom_fix = false;
  bool zoom_var = false;
  bool skip_faulty = false;
  bool mark_faulty = false;
  int skip_mask = 0;
  bool temperature = false;
  float zoom_step = 0;
  bool slide_mode = false;
  int slide_offset = 0;
  bool film_running = false;
  int slide_interval = 0;
  int slide_speed = 0;  // "-speed" on the command line
  uint16_t grid_rgb[3] = {};
  bool rgb_map = false;
  int map_used[kMaxChannels + 1] = {};
  int map_offset[3] = {};
  float map_wr[kMaxChannels + 1] = {};
  float map_wg[kMaxChannels + 1] = {};
  float map_wb[kMaxChannels + 1] = {};
  int hshift[kMaxChannels + 1] = {};
  int vshift[kMaxChannels + 1] = {};
  int tilt[kMaxChannels + 1] = {};
  int vshift_min = 0, vshift_max = 0;
  int desp_ulimit = 0;
  int desp_llimit = 0;
};

// ---------------------------------------------------------------- picture
// The open picture.
struct PIC_INFO {
  std::string dir;   // where the Open selector starts; ends in '/' when set
  std::string path;  // the picture file
  KFile pic_fp;
  FileKind file_type = FileKind::None;
  SatKind sat_kind = SatKind::Unknown;
  std::string sat_name;  // at most kSatNameMax characters
  int width = 0;
  int height = 0;
  int depth = 0;
  float scan_angle = 0;
  int lut_size = 0;
  int lut[3][kLutEntries] = {};
  FRAME_GEOM frame;
  int data_offset = 0;
  // PGM/PPM with a maximum above 4095: samples are shifted right by this
  // many bits so they fit the 4096-entry tables (0 for every other file)
  int sample_shift = 0;
  int pixels_per_chan = 0;
  int x_offset = 0, y_offset = 0;
  int lines_per_sec = 0;
  Orientation orientation = Orientation::Unset;
  ScanDir scan_dir = ScanDir::Unset;
  int chan_present[kMaxChannels + 1] = {};
  BrokenTime hri_time = {};
  LZW_STATE lzw;
  HRI_INFO hri;
  KEPLER kepler;
  ORBIT orbit;
  std::string kepler_dir;
  SATPOS_CACHE satpos;  // the orbit model's own cache for this picture
};

// ---------------------------------------------------------------- recording
// The recording request and state.
struct RECORD_INFO {
  bool stop_when_done = false;
  std::string request;  // "<sat:chan>", kept whole whatever its length
  std::string rec_dir;
  std::string rec_file;
  std::string cur_base, cur_ext;
  std::string hrpt_base, hrpt_ext;
  std::string hri_base, hri_ext;
  KFile rec_fp;
  bool batch = false;
  std::string kepler_file;
  // decoder and port settings copied from the preferences
  int port_type = 0;
  int port_address = 0;
  bool fast_access = false;
  int hw_dectype = 0;
  bool use_usbid = false;
  std::string usb_id;
  // which backend reaches the decoder (port.h) and, for the emulator, its
  // source description and pacing (emulator.h)
  PortBackendKind port_backend = PortBackendKind::Auto;
  std::string emu_source;
  bool emu_pacing = false;  // frames at the satellite's rate; false: as fast as polled
  int hrpt_start_after = 0, hrpt_stop_after = 0;
  int hri_start_after = 0, hri_stop_after = 0;
  int lines_per_screen = 0;
  ScanDir scan_dir = ScanDir::Unset;
  Orientation orientation = Orientation::Unset;
  int show_chan = 0;
  bool save_rec = false;
  bool load_kepler = false;
  // recording state
  bool active = false;
  int chan_sel[kMaxChannels + 1] = {};
  int gen_mode = 0;
  int gen_request = 0;
  FRAME_GEOM frame;
  FileKind file_type = FileKind::None;
  SatKind sat_kind = SatKind::Unknown;
  std::string sat_name;
  bool record_all = false;
};

}  // namespace kelo
