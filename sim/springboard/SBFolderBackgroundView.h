// SBFolderBackgroundView as the host builds it: the rounded backing of an
// open folder.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// An open folder's background (autoreleased), framed as on a 375-point-wide
// screen.
id make_folder_background();

}  // namespace sim
