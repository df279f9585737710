// WGWidgetPlatterView as the host builds it.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

// The host builds a widget with its background, header background and
// header content view (icons: `icon`, or an empty list when nil).
id make_widget(id icon, CGRect frame);

}  // namespace sim
