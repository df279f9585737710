// _UIScrollsToTopInitiatorView: the view a tap on which scrolls the front
// scroll view to its top; the status bars descend from it. The host has no
// scroll views, so the class adds nothing to UIView.
#pragma once

#include "sim/uikit/UIView.h"
