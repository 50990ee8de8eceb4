#include "core/export/export_kinds.h"

#include <cctype>
#include <iterator>
#include <string>

namespace kelo {

namespace {

constexpr ExportKind kKinds[] = {
    {kKindHRPT, "(C)HRPT", "hrpt", "10b"}, {kKindPPM, "PPM", "ppm", "ppm"}, {kKindPGM, "PGM", "pgm", "pgm"},
    {kKindPGM8, "PGM1", "pgm1", "pgm"},    {kKindGIF, "Gif", "gif", "gif"}, {kKindPNG, "PNG", "png", "png"},
};

}  // namespace

std::span<const ExportKind> export_kinds() { return kKinds; }

FileKind export_kind_of_name(std::string_view name) {
  if (name == "chrpt" || name == "10b") return kKindHRPT;
  for (const ExportKind& k : kKinds)
    if (name == k.type_name || name == k.label) return k.kind;
  return kKindNone;
}

FileKind export_kind_of_extension(std::string_view ext) {
  std::string lower(ext);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // The first kind of an extension wins: "pgm" is the PGM that keeps the depth.
  for (const ExportKind& k : kKinds)
    if (lower == k.extension) return k.kind;
  return kKindNone;
}

std::string export_type_names() {
  std::string out;
  const size_t n = std::size(kKinds);
  for (size_t i = 0; i < n; i++) {
    if (i > 0) out += i + 1 == n ? " or " : ", ";
    out += kKinds[i].type_name;
  }
  return out;
}

}  // namespace kelo
