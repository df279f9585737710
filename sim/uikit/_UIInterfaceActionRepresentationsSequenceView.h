// _UIInterfaceActionRepresentationsSequenceView: the rows of an action
// group below iOS 14, stacked top to bottom. The dumps name the class (and
// not its superclass, taken to be UIView) but no class for a row that the
// host could use, so each row is a plain UIView showing the action's title
// in a UILabel.
#pragma once

#include <string>
#include <vector>

#include "sim/uikit/UIView.h"

namespace sim {

// A new (autoreleased) sequence view with one row per title.
id make_action_sequence_view(const std::vector<std::string>& titles);

}  // namespace sim
