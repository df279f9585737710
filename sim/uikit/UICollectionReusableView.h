// UICollectionReusableView: the superclass of collection view cells.
// Nothing of its own is modelled.
#pragma once

#include "sim/uikit/UIView.h"
