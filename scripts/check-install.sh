#!/usr/bin/env bash
# Installs a built Kelo into a fresh directory tree and runs what was
# installed: the version, the exporter's help, a batch recording through the
# decoder emulator and a PNG export of it; validates the desktop entry and
# renders the manual pages. With --package it also builds the Debian package
# (cpack -G DEB), inspects it (dpkg-deb -c / -I), unpacks it into another
# fresh tree and runs the same checks there; as root it asks apt whether the
# package's dependencies resolve (a simulation: nothing is installed).
#
#   bash scripts/check-install.sh BUILD_DIR [--package]
set -euo pipefail
build=$(realpath "${1:-build}")
package=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-install: $*" >&2; exit 1; }

# check_tree ROOT: the installed files are there and work.
check_tree() {
  local root=$1 bin=$1/usr/bin share=$1/usr/share
  for f in "$bin/kelo" "$bin/kelo-export" "$bin/kelo-emu-frames" \
           "$share/applications/kelo.desktop" "$share/icons/hicolor/scalable/apps/kelo.svg" \
           "$share/man/man1/kelo.1" "$share/man/man1/kelo-export.1" \
           "$share/doc/kelo/examples/kelo-station.service" "$share/doc/kelo/examples/kelo-station.timer"; do
    [ -e "$f" ] || [ -e "$f.gz" ] || fail "not installed: ${f#"$root"}"
  done
  desktop-file-validate "$share/applications/kelo.desktop" || fail "desktop entry not valid"

  # Manual pages render without warnings and carry the programs' help.
  local page name text warn
  for name in kelo kelo-export; do
    page=$share/man/man1/$name.1
    [ -e "$page" ] || page=$page.gz
    text=$(MANWIDTH=80 man -P cat -l "$page" 2>/dev/null) || fail "man -l $name failed"
    warn=$(man --warnings -P cat -l "$page" 2>&1 > /dev/null) || true
    [ -z "$warn" ] || fail "man page $name: $warn"
    grep -q "^NAME" <<< "$text" || fail "man page $name has no NAME"
  done
  grep -q -- "-cbatch <sat:chan>" <<< "$(MANWIDTH=80 man -P cat -l "$share/man/man1/kelo.1"* 2>/dev/null)" ||
    fail "kelo(1) lacks the help text"
  grep -q -- "--verbose" <<< "$(MANWIDTH=80 man -P cat -l "$share/man/man1/kelo-export.1"* 2>/dev/null)" ||
    fail "kelo-export(1) lacks the help text"

  # The programs run from where they were installed, with no display.
  local run=$work/run-$(basename "$root")
  mkdir -p "$run"
  (
    cd "$run"
    export HOME=$run
    unset DISPLAY
    "$bin/kelo" -V 2>&1 | grep -q "Version" || fail "kelo -V"
    "$bin/kelo-export" --help | grep -q "^Usage: kelo-export" || fail "kelo-export --help"
    "$bin/kelo" -decoder emulator:noaa,sat=19,syncloss=400:100 -batch hrpt:a -log > batch.out 2>&1 ||
      fail "batch recording: $(cat batch.out)"
    [ -s hrpt01.dat ] || fail "the batch recording wrote no hrpt01.dat"
    grep -q "End recording" kelo.log || fail "the batch log has no end"
    "$bin/kelo-export" --no-prefs hrpt01.dat -c 4 -o pass.png > export.out || fail "PNG export"
    [ "$(head -c 8 pass.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "pass.png is no PNG"
  ) || exit 1
}

tree=$work/install
DESTDIR=$tree cmake --install "$build" --prefix /usr > /dev/null
check_tree "$tree"
echo "installed tree: ok"

if [ "$package" = "--package" ]; then
  (cd "$build" && rm -f kelo_*.deb && cpack -G DEB > "$work/cpack.out") || { cat "$work/cpack.out"; fail "cpack"; }
  deb=$(ls "$build"/kelo_*.deb)
  listing=$(dpkg-deb -c "$deb")
  for f in ./usr/bin/kelo ./usr/bin/kelo-export ./usr/bin/kelo-emu-frames ./usr/share/applications/kelo.desktop; do
    grep -q " $f\$" <<< "$listing" || fail "package lacks $f"
  done
  info=$(dpkg-deb -I "$deb")
  depends=$(grep "^ Depends:" <<< "$info") || fail "package without computed dependencies"
  for lib in libgtk-3-0 libpng16-16 libc6; do
    grep -q "$lib" <<< "$depends" || fail "package dependencies lack $lib: $depends"
  done
  dpkg -x "$deb" "$work/unpacked"
  check_tree "$work/unpacked"
  if [ "$(id -u)" -eq 0 ] && command -v apt-get > /dev/null; then
    apt-get install -s -qq "$deb" > "$work/apt.out" 2>&1 || { cat "$work/apt.out"; fail "apt cannot install $deb"; }
  fi
  echo "package $(basename "$deb"): ok ($depends)"
fi
