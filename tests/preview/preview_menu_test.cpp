// The force-touch menu in the preview: its rows lie in front of its
// background (from iOS 14 the collection view's cells, below it the views of
// the action group's sequence view), so they show whether or not the library
// hides that background.
#include <gtest/gtest.h>

#include "preview/preview_test_util.h"
#include "sim/foundation/plist_file.h"
#include "sim/uikit/UIView.h"
#include "support/sim_fixture.h"
#include "tools/corvane-sim/preview_scene.h"

using namespace corvane_test;
using namespace corvane::cli;
using sim::sel;
using sim::send;

namespace {

id part(id owner, const char* key) { return send<id>(owner, sel("valueForKey:"), sim::make_string(key)); }

// How many pixels of the menu's area change when its rows are hidden.
int pixels_the_rows_draw(PreviewScene& scene) {
  sim::AutoreleasePool pool;
  id actions = part(scene.platter_controller(), "_actionsView");
  const bool ios14 = sim_os_at_least(14, 0, 0);
  id group = part(actions, ios14 ? "_currentCollectionView" : "_currentActionGroupView");
  const CGRect menu = sim::render::frame_in_root(actions);
  const double k = kPreviewScale;
  const sim::render::Surface with = scene.render(k);
  std::vector<id> rows;
  for (id v : sim::as<sim::UIViewObj>(ios14 ? group : part(group, "_actionSequenceView"))->subviews)
    if (!ios14 || sim::is_kind_of(v, "_UIContextMenuActionsListCell")) rows.push_back(v);
  EXPECT_EQ(rows.size(), 3u);
  for (id row : rows) send<void>(row, sel("setHidden:"), true);
  const sim::render::Surface without = scene.render(k);
  for (id row : rows) send<void>(row, sel("setHidden:"), false);
  int changed = 0;
  for (int y = static_cast<int>(menu.origin.y * k);
       y < static_cast<int>((menu.origin.y + menu.size.height) * k); ++y)
    for (int x = static_cast<int>(menu.origin.x * k);
         x < static_cast<int>((menu.origin.x + menu.size.width) * k); ++x)
      if (!pixel_close(with.pixel(x, y), without.pixel(x, y), 24)) ++changed;
  return changed;
}

}  // namespace

TEST(PreviewMenu, RowsShowOnBothLayoutsWithAndWithoutTheBlur) {
  for (IosVersion ios : {IosVersion{13, 7, 0}, IosVersion{14, 2, 0}})
    for (bool blurry : {true, false}) {
      SCOPED_TRACE(ios.text() + (blurry ? " blurryForceTouch" : " blur kept"));
      TempDir dir;
      SceneOptions o;
      o.ios = ios;
      const std::string settings = dir.path() + "/settings.plist";
      write_bytes(settings, sim::plist::to_xml(
                                sim::plist::Value(sim::plist::Dictionary{{"blurryForceTouch", blurry}})));
      o.settings = settings;
      std::string error;
      auto scene = PreviewScene::build(o, &error);
      ASSERT_TRUE(scene) << error;
      // Three rows of title and symbol: several hundred pixels of ink.
      EXPECT_GT(pixels_the_rows_draw(*scene), 600);
    }
}
