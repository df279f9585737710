// PSTableCell (a UITableViewCell): the Preferences framework's cell. Only
// its class method cellTypeFromString: is modelled: a page's "cell" strings
// become PSCellType values through it.
#pragma once

#include "sim/preferences/PSSpecifier.h"
