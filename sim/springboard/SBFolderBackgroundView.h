// SBFolderBackgroundView as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

id make_folder_background();

}  // namespace sim
