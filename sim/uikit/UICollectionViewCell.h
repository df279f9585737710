// UICollectionViewCell : UICollectionReusableView: one cell of a collection
// view. Its contentView is not modelled: the host's cells hold their views
// directly.
#pragma once

#include "sim/uikit/UIView.h"
