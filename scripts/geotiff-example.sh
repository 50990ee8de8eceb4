#!/usr/bin/env bash
# Makes docs/img/geotiff-map.png: a synthetic NOAA 19 pass recorded in batch
# mode from the decoder emulator (elements of NOAA 19 moved to today's
# date, so the pass is where the real satellite would nearly be), exported
# with `-t geotiff --orbit precise` and reprojected by gdalwarp through its
# ground control points.
#
#   bash scripts/geotiff-example.sh [build-dir]
set -euo pipefail
bin=$(realpath "${1:-build}")
root=$(realpath "$(dirname "$0")/..")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# NOAA 19's elements of 27 September 2020 with the epoch moved to now.
python3 - <<'PY'
import datetime
now = datetime.datetime.now(datetime.timezone.utc)
doy = (now - datetime.datetime(now.year, 1, 1, tzinfo=datetime.timezone.utc)).total_seconds() / 86400 + 1
l1 = "1 33591U 09005A   %02d%012.8f  .00000036  00000-0  44902-4 0  999" % (now.year % 100, doy)
l2 = "2 33591  99.1973 279.1029 0014510 147.6332 212.5731 14.12432861599745"
def checksum(l):
    s = sum(int(c) if c.isdigit() else (1 if c == '-' else 0) for c in l[:68])
    return l[:68] + str(s % 10)
open("noaa.tle", "w").write("NOAA 19\n%s\n%s\n" % (checksum(l1.ljust(68)), checksum(l2)))
PY
cat > .kelorc <<RC
Decoder_backend = emulator
Emulator_source = noaa,sat=19,frames=5400
Hrptrec_Auto_getkepler = yes
Kepler_File_Dir = $work
Kepler_File_name = noaa.tle
Working_Dir = $work
RC
HOME=$work "$bin/kelo" -batch hrpt:a > batch.out 2>&1 || { cat batch.out; exit 1; }
pass=$(ls hrpt*.dat | head -1)
"$bin/kelo-export" --no-prefs "$pass" --orbit precise -t geotiff -c 4 -o pass.tif
# Seen from above the middle of the pass (orthographic), so the swath keeps
# its shape wherever the pass lies; black where the picture has no data.
lines=$(gdalinfo pass.tif | sed -n 's/^Size is [0-9]*, \([0-9]*\)$/\1/p')
centre=$("$bin/kelo-export" --no-prefs "$pass" --orbit precise --lonlat "1024,$((lines / 2))")
lon=${centre%,*}
lat=${centre#*,}
echo "centre of the pass: $centre"
gdalwarp -q -t_srs "+proj=ortho +lat_0=$lat +lon_0=$lon +datum=WGS84" -order 2 -r bilinear \
  -dstnodata 0 -ts 0 700 pass.tif map.tif
gdal_translate -q -of PNG -ot Byte -scale 1 1023 1 255 map.tif map.png
mkdir -p "$root/docs/img"
cp map.png "$root/docs/img/geotiff-map.png"
echo "docs/img/geotiff-map.png written"
