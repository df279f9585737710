// _UIContextMenuActionsListView: the actions view of a force-touch preview,
// the menu beneath the platter. Below iOS 14 it shows its current action
// group (_currentActionGroupView, a UIInterfaceActionGroupView); from iOS 14
// its current collection view (_currentCollectionView, a UICollectionView
// whose cells are the rows). The class declares only the instance variable
// of the running version.
//
// below iOS 14                            iOS 14 and later
// _currentActionGroupView                 _currentCollectionView
//  _backgroundView: UIVisualEffectView     _backgroundView: _UIElasticContextMenuBackgroundView
//   _UIVisualEffectBackdropView             _visualEffectView: UIVisualEffectView
//   _UIVisualEffectSubview (the tint)        _UIVisualEffectBackdropView
//   _UIVisualEffectContentView               _UIVisualEffectSubview (the tint)
//  _actionSequenceView                       _UIVisualEffectContentView
//   UIView x items                         _UIContextMenuActionsListCell x items
//    UILabel (the title)                    _actionView: _UIContextMenuActionView
//                                            _titleLabel: UILabel
//
// The dumps type the backgrounds only as UIView; these are the host's
// choice. With MenuBackground::Plain the background is a plain UIView that
// holds the effect view (on both versions): it answers no visualEffectView.
//
// Its layout pass is where the host places and colours the menu (the dumps
// do not say where a phone does; the simulator picks this view's own
// layoutSubviews, which runs when the menu appears, see
// _UIPreviewPlatterPresentationController.h): the group fills the list, the
// background and every view inside it fill their parents, the rows stack
// 44 points each with the title 16 points in, and the effect view's overlay
// takes the blur's tint and the titles the text colour for the style the
// list draws in. So a layout pass of the list puts back the host's own
// colours on the overlay and the titles; the rest it leaves as it is.
#pragma once

#include "sim/uikit/UIView.h"

namespace sim {

struct UIContextMenuActionsListViewObj : UIViewObj {
  Strong current_action_group_view;  // _currentActionGroupView (below iOS 14)
  Strong current_collection_view;    // _currentCollectionView (iOS 14 and later)
};

enum class MenuBackground {
  Standard,  // iOS 14: a _UIElasticContextMenuBackgroundView; below: the effect view itself
  Plain,     // a plain UIView holding the effect view
};

// A new (autoreleased) actions list for the running version with `items`
// placeholder actions (none for a negative count), unframed: the presenter
// frames it and lays it out.
id make_context_menu_actions_list_view(int items, MenuBackground background);

// The title of placeholder action `index` (counted from 0, top to bottom).
std::string menu_action_title(size_t index);

}  // namespace sim
