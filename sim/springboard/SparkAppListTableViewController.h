// SparkAppListTableViewController (a UITableViewController): the list
// library's picker of applications for one identifier and key.
#pragma once

#include "sim/uikit/UIViewController.h"

namespace sim {

struct SparkAppListTableViewControllerObj : UIViewControllerObj {
  Strong identifier;  // _preferencesIdentifier
  Strong key;         // _preferencesKey
};

}  // namespace sim
