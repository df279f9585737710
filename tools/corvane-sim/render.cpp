// Placeholder until the renderer lands.
#include "tools/corvane-sim/render.h"

#include <ostream>

namespace corvane::cli {

bool render_screen(Session&, const std::string&, double, std::string* error) {
  *error = "rendering is not available in this build";
  return false;
}

int run_preview(const PreviewOptions&, std::ostream&, std::ostream& err) {
  err << "corvane-sim: preview is not available in this build\n";
  return 2;
}

}  // namespace corvane::cli
