// PLFailedBundleListController (a PSListController): PreferenceLoader's
// page for a row whose preference bundle did not load.
#pragma once

#include "sim/preferences/PSListController.h"
