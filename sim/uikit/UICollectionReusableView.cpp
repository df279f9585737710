#include "sim/uikit/UICollectionReusableView.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<UIViewObj>("UICollectionReusableView", ensure_class("UIView")); }

SIM_HOST_CLASS("UICollectionReusableView", Layer::UIKit, install);

}  // namespace
}  // namespace sim
