// The start-up steps between the command line and the main window: opening
// the picture named on the command line, with the messages an operator sees
// on standard error when it cannot be shown.
#pragma once

#include <cstdio>

#include "app/cmdline.h"
#include "core/base/prefer.h"
#include "core/base/records.h"

namespace kelo {

// Opens cmd.file (when one was named) into the picture record, without a
// window. On failure writes "ERROR: Can't open %s\n" (code 'o'),
// "ERROR: %s is unknown file type.\n" (code 't') or
// "ERROR: Problem with reading %s (code %c = %d).\n" to `err` and returns 1;
// otherwise applies "-I" (canvas sized to the picture) and "-sn" (shown
// south-north; the canvas size goes into `prefs`) and returns 0.
[[nodiscard]] int open_cmdline_picture(const CmdLine& cmd, PIC_INFO* pic, VIEW_INFO* view, PREFS* prefs,
                                       FILE* err);

}  // namespace kelo
