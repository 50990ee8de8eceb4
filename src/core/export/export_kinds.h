// The kinds of file the export writes, in the order the Save window offers
// them: its label there, the name kelo-export's --type takes, the file-name
// extension, and the file kind. One list for the window and the command line,
// so a new kind appears in both.
#pragma once

#include <span>
#include <string_view>

#include "core/base/records.h"

namespace kelo {

struct ExportKind {
  FileKind kind;
  const char* label;      // the Save window's kind list ("(C)HRPT", "PNG", ...)
  const char* type_name;  // kelo-export --type NAME
  const char* extension;  // without the dot
};

// Every kind the export can write.
std::span<const ExportKind> export_kinds();

// The kind of a --type name or a label ("hrpt", "chrpt", "10b" and "(C)HRPT"
// all mean the recording kind); kKindNone when there is none.
FileKind export_kind_of_name(std::string_view name);

// The kind of a file-name extension (without the dot, any case); kKindNone
// when no kind has it. "pgm" gives PGM, not PGM1.
FileKind export_kind_of_extension(std::string_view ext);

// "hrpt, ppm, pgm, pgm1, gif or png": the --type names for messages.
std::string export_type_names();

}  // namespace kelo
