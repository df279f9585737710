#include "sim/uikit/UICollectionViewCell.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() {
  return define_class<UIViewObj>("UICollectionViewCell", ensure_class("UICollectionReusableView"));
}

SIM_HOST_CLASS("UICollectionViewCell", Layer::UIKit, install);

}  // namespace
}  // namespace sim
