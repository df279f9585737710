// UILabel: a view that shows one line of text in its textColor. Only its
// text and text colour are modelled; a renderer draws the text.
#pragma once

#include <string_view>

#include "sim/uikit/UIView.h"

namespace sim {

struct UILabelObj : UIViewObj {
  Strong text;        // text (an NSString)
  Strong text_color;  // textColor
};

// A new (autoreleased) label showing `text`.
id make_label(CGRect frame, std::string_view text);

}  // namespace sim
