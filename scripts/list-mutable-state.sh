#!/usr/bin/env bash
# Lists every mutable namespace-scope or function-static variable of the core
# library and fails when there is any. State belongs to the object that runs
# a pass or to the session, never to the library, so a station can run two
# passes (or a test can run two sessions) without one seeing the other.
#
#   bash scripts/list-mutable-state.sh [build-dir]      (default: build)
#
# What counts: data and zero-filled symbols (nm kinds b, B, d, D) in
# writable sections. Left out: vtables, typeinfo and the guard variables of
# function statics (the compiler's own), and constant tables whose pointers
# the loader fills in (.data.rel.ro: read-only once the program runs).
# Allowed: g_stop_signal, the one flag the signal handler may set, and the
# list of temporary export files the signal handler removes (with its counter).
set -euo pipefail
build=${1:-build}
lib=$(find "$build" -name libkelo_core.a -print -quit 2> /dev/null || true)
if [ -z "$lib" ]; then
  echo "list-mutable-state: no libkelo_core.a under $build (build kelo_core first)" >&2
  exit 2
fi

# nm's System V format: name|value|class|type|size|line|section; a
# demangled name may itself hold '|', so the fields are taken from the right.
found=$(nm -C --format=sysv "$lib" | awk -F'|' '
  NF >= 7 {
    section = $NF; kind = $(NF - 4); gsub(/ /, "", section); gsub(/ /, "", kind)
    name = $1
    for (i = 2; i <= NF - 6; i++) name = name "|" $i
    if (kind !~ /^[bBdD]$/) next
    if (section ~ /^\.data\.rel\.ro/) next
    if (name ~ /^(vtable for|typeinfo for|typeinfo name for|guard variable for) /) next
    if (name ~ /(^|::)(g_stop_signal|g_temp_slots|g_temp_counter)$/) next
    print kind "  " name
  }' | sort -u)

if [ -n "$found" ]; then
  echo "Mutable state in $lib:"
  echo "$found"
  exit 1
fi
echo "No mutable state in $lib beyond g_stop_signal."
