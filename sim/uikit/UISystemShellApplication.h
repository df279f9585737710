// UISystemShellApplication : UIApplication: the application class of the
// system's shell processes, SpringBoard's superclass. It adds nothing the
// host models.
#pragma once

#include "sim/uikit/UIApplication.h"
