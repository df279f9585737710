// UIStatusBar_Modern: the status bar of devices with a sensor housing, a
// sibling of UIStatusBar below UIStatusBar_Base; make_status_bar(true, ...)
// (sim/uikit/UIStatusBar.h) builds one.
#pragma once

#include "sim/uikit/UIStatusBar_Base.h"
