// UICollectionView : UIScrollView: a list of cells over an optional
// background view (its own _backgroundView, public strong property
// backgroundView), which stays behind every cell.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UICollectionViewObj : UIViewObj {
  Strong background_view;  // _backgroundView
};

// A new (autoreleased) collection view with `background` (nil for none) as
// its background view.
id make_collection_view(id background);

}  // namespace sim
