// Drawing the simulated screen: `render FILE.png` and the preview.
#pragma once

#include <string>

#include "sim/render/surface.h"
#include "tools/corvane-sim/cli_args.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

// Draws every bound top-level view of the session as the screen stands, at
// `scale` pixels per point, into a PNG written atomically. False with a
// message on failure (no partial file is left).
bool render_screen(Session& session, const std::string& path, double scale, std::string* error);

// corvane-sim preview: the built-in scene in the light and the dark style,
// side by side. Returns the exit status (0, or 2 for bad input with a
// message on `err`).
int run_preview(const PreviewOptions& options, std::ostream& out, std::ostream& err);

// What the picture commands share. Warns on `err` of the settings file's
// mistakes (unknown keys, values of the wrong kind); the file has been
// checked readable.
void warn_about_settings_file(std::ostream& err, const std::string& path);
// Commits the picture to the file opened for `output` and names it on `out`:
// the exit status (0, or 2 with a message on `err`).
int commit_picture(sim::render::PendingFile& file, const sim::render::Surface& picture,
                   const std::string& output, std::ostream& out, std::ostream& err);

}  // namespace corvane::cli
