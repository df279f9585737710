// SBFolderIconImageView as the host builds it: the image of a closed
// folder's icon, with its miniature grid of application icons.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// A folder icon (autoreleased), 60 points square.
id make_folder_icon();

}  // namespace sim
