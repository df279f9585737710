// UIStatusBar_Modern: the status bar of devices with a sensor housing. It
// keeps the same state as UIStatusBar (StatusBarObj) but is a class of its
// own with methods of its own, as on the platform; make_status_bar(true, ...)
// builds one.
#pragma once

#include "sim/uikit/UIStatusBar.h"
