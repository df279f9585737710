// UIScrollView: the superclass of UICollectionView. Nothing of its own is
// modelled: the host does not scroll.
#pragma once

#include "sim/uikit/UIView.h"
