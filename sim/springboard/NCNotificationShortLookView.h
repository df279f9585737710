// NCNotificationShortLookView as the host builds it.
#pragma once

#include "sim/springboard/PLTitledPlatterView.h"

namespace sim {

// A banner holds nothing of its own: its backdrop and custom content view
// are PLPlatterView's, its header PLTitledPlatterView's.
using NCNotificationShortLookViewObj = PLTitledPlatterViewObj;

// The host builds a banner with its private views in place, back to front:
// the background view (an MTMaterialView), the header content view (a
// PLPlatterHeaderContentView; icons: `icon`, or an empty list when nil)
// and, with `with_content`, a custom content view below the header.
id make_banner(id icon, CGRect frame, bool with_content);

}  // namespace sim
