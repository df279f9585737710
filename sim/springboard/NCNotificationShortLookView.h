// NCNotificationShortLookView as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The host builds a banner with its private views in place: the background
// view, the header content view (icons: `icon`, or an empty list when nil)
// and, with `with_content`, a custom content view.
id make_banner(id icon, CGRect frame, bool with_content);

}  // namespace sim
