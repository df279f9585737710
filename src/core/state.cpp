// The process state lives here rather than with any one reader or writer,
// so that the arbiter hooks that write it and the status bars that read it
// both depend on this floor and not on each other.
#include "core/state.h"

namespace corvane {

bool darkModeActive = false;

}  // namespace corvane

bool corvane13_dark_mode_active(void) { return corvane::darkModeActive; }
