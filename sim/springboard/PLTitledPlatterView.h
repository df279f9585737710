// PLTitledPlatterView : PLPlatterView: a platter with a header.
#pragma once

#include "sim/springboard/PLPlatterView.h"

namespace sim {

// The header (_headerContentView, a PLPlatterHeaderContentView), answered by
// the private method -_headerContentView.
struct PLTitledPlatterViewObj : PLPlatterViewObj {
  Strong header_content_view;
};

}  // namespace sim
