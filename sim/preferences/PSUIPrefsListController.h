// PSUIPrefsListController (a PSListController): the Settings app's root
// list on iOS 13 and 14, with PreferenceLoader's rows in it.
#pragma once

#include "sim/preferences/PSListController.h"
