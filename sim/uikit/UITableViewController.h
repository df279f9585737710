// UITableViewController (a UIViewController): the superclass of the list
// library's picker. The host shows no tables, so it adds nothing.
#pragma once

#include "sim/uikit/UIViewController.h"
