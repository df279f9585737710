// UITableViewCell (a UIView): the superclass of the Preferences framework's
// PSTableCell. The host draws no table rows, so it carries no methods.
#pragma once

#include "sim/uikit/UIView.h"
