// UIPresentationController: the superclass of the force-touch preview's
// presentation controller. Nothing of its own is modelled.
#pragma once

#include "sim/runtime/runtime.h"
