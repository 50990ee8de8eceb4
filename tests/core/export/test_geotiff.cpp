// GeoTIFF export read back by GDAL's own tools (gdal-bin): the control
// points are where the position read-out puts those pixels, the samples are
// what the probe reads, temperatures are the probe's in kelvin, and a
// recording without calibration gives no data.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/export/cli_run.h"
#include "core/export/hrpt_fixture.h"
#include "core/export/kelo_export_cli.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::CliRun;
using test::run;

std::string shell(const std::string& cmd) {
  std::string text;
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) return text;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  pclose(p);
  return text;
}

bool have_gdal() { return std::system("gdalinfo --version >/dev/null 2>&1") == 0; }

// The number after `key` in the probe's text ("ch4 517", "temp4 2873").
double probe_value(const std::string& text, const std::string& key) {
  const size_t at = text.find("\n" + key + " ");
  return at == std::string::npos ? NAN : std::stod(text.substr(at + key.size() + 2));
}

double pixel_value(const std::string& tif, int x, int y) {
  return std::stod(
      shell("gdallocationinfo -valonly '" + tif + "' " + std::to_string(x) + " " + std::to_string(y)));
}

class GeoTiffExport : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!have_gdal()) GTEST_SKIP() << "gdal-bin not installed";
    shape.width = 200;
    shape.lines = 70;
    ASSERT_TRUE(test::noaa19_pass_2020(&shape, 3, 30));  // an hour after the elements
    ASSERT_TRUE(test::write_fixture("pass.10b", shape));
  }
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  test::FixtureShape shape;
};

TEST_F(GeoTiffExport, ControlPointsAreTheReadOutsPositionsAndSamplesTheProbes) {
  CliRun e = run({"pass.10b", "--orbit", "precise", "-t", "geotiff", "-c", "2", "-o", "pass.tif"});
  ASSERT_EQ(e.rc, 0) << e.err;
  EXPECT_FALSE(std::filesystem::exists("pass.tif.part"));
  const std::string info = shell("gdalinfo pass.tif");
  EXPECT_NE(info.find("Size is 200, 70"), std::string::npos) << info;
  EXPECT_NE(info.find("Type=UInt16"), std::string::npos) << info;
  EXPECT_NE(info.find("WGS 84"), std::string::npos) << info;
  // GCP[  n]: Id=..., Info=
  //           (pixel,line) -> (lon,lat,0)
  const std::regex gcp(R"(\(([0-9.]+)P?,([0-9.]+)L?\) -> \(([-0-9.e]+),([-0-9.e]+),)");
  int seen = 0;
  for (auto it = std::sregex_iterator(info.begin(), info.end(), gcp); it != std::sregex_iterator(); ++it) {
    const int x = static_cast<int>(std::floor(std::stod((*it)[1])));
    const int y = static_cast<int>(std::floor(std::stod((*it)[2])));
    EXPECT_TRUE((x % 32 == 0 || x == 199) && (y % 32 == 0 || y == 69)) << x << "," << y;
    CliRun ll =
        run({"pass.10b", "--orbit", "precise", "--lonlat", std::to_string(x) + "," + std::to_string(y)});
    ASSERT_EQ(ll.rc, 0) << ll.err;
    double lon = 0, lat = 0;
    char comma = 0;
    std::istringstream(ll.out) >> lon >> comma >> lat;
    EXPECT_NEAR(std::stod((*it)[3]), lon, 1e-6) << x << "," << y;
    EXPECT_NEAR(std::stod((*it)[4]), lat, 1e-6) << x << "," << y;
    ++seen;
  }
  EXPECT_EQ(seen, 8 * 4) << info;  // 0, 32, ..., 192 and 199; 0, 32, 64 and 69

  for (auto [x, y] : {std::pair{0, 0}, {123, 45}, {199, 69}}) {
    CliRun p = run({"pass.10b", "--probe", std::to_string(x) + "," + std::to_string(y)});
    ASSERT_EQ(p.rc, 0) << p.err;
    EXPECT_EQ(pixel_value("pass.tif", x, y), probe_value("\n" + p.out, "ch2")) << x << "," << y;
  }
}

TEST_F(GeoTiffExport, TemperaturesAreTheProbesInKelvinAndUncalibratedLinesHaveNoData) {
  CliRun e = run({"pass.10b", "-t", "geotiff", "-c", "4", "--temperature", "-o", "t4.tif"});
  ASSERT_EQ(e.rc, 0) << e.err;
  const std::string info = shell("gdalinfo t4.tif");
  EXPECT_NE(info.find("Type=Float32"), std::string::npos) << info;
  EXPECT_NE(info.find("NoData Value=-9999"), std::string::npos) << info;
  int compared = 0;
  for (auto [x, y] : {std::pair{0, 0}, {17, 3}, {123, 45}, {199, 60}}) {
    CliRun p = run({"pass.10b", "--probe", std::to_string(x) + "," + std::to_string(y)});
    ASSERT_EQ(p.rc, 0) << p.err;
    const double tenths = probe_value("\n" + p.out, "temp4");
    ASSERT_FALSE(std::isnan(tenths)) << p.out;
    const double v = pixel_value("t4.tif", x, y);
    if (v == -9999.0) continue;
    EXPECT_FLOAT_EQ(v, tenths / 10.0) << x << "," << y;
    ++compared;
  }
  EXPECT_GT(compared, 0);

  // Without the frame header words there is no calibration anywhere: the
  // picture cannot give temperatures.
  test::FixtureShape bare = shape;
  bare.presence[0] = 0;
  ASSERT_TRUE(test::write_fixture("bare.10b", bare));
  CliRun b = run({"bare.10b", "-t", "geotiff", "-c", "4", "--temperature", "-o", "bare.tif"});
  EXPECT_NE(b.rc, 0);
  EXPECT_FALSE(std::filesystem::exists("bare.tif"));
  EXPECT_FALSE(std::filesystem::exists("bare.tif.part"));
}

}  // namespace
}  // namespace kelo
