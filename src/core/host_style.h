// The host's interface styles, as the surfaces ask and force them.
#pragma once

#include "platform/platform.h"

namespace corvane {

inline constexpr NSInteger kUnspecifiedStyle = 0;
inline constexpr NSInteger kLightStyle = 1;
inline constexpr NSInteger kDarkStyle = 2;

// The system's current style, asked of the host's style arbiter afresh at
// every call.
NSInteger current_system_style();

// Pins a view (and what it draws) to the light style; the only style the
// library ever forces.
void force_light_style(id view);

}  // namespace corvane
