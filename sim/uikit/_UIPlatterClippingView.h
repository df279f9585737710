// _UIPlatterClippingView: from iOS 14, the view that clips a preview
// platter's collapsed contents. The dumps give no superclass; the simulator
// takes UIView.
#pragma once

#include "sim/uikit/UIView.h"
