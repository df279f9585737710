// PSSpecifier (an NSObject): one row of a Preferences page, as the
// framework's header dumps of iOS 13.4.1 and 14.2 give it: a target, getter,
// setter and action selectors, a detail controller class, a cell type, a
// name and a dictionary of properties (the row's plist keys).
#pragma once

#include <string>

#include "sim/runtime/runtime.h"

namespace sim {

// PSCellType (NSInteger), from PSTableCell.h.
enum PSCellType : NSInteger {
  PSGroupCell = 0,
  PSLinkCell = 1,
  PSLinkListCell = 2,
  PSListItemCell = 3,
  PSTitleValueCell = 4,
  PSSliderCell = 5,
  PSSwitchCell = 6,
  PSStaticTextCell = 7,
  PSEditTextCell = 8,
  PSSegmentCell = 9,
  PSGiantIconCell = 10,
  PSGiantCell = 11,
  PSSecureEditTextCell = 12,
  PSButtonCell = 13,
  PSEditTextViewCell = 14,
  PSSpinnerCell = 15,
};

struct PSSpecifierObj : objc_object {
  Weak target;
  SEL getter = nullptr;
  SEL setter = nullptr;
  SEL action = nullptr;
  Class detail = nullptr;  // detailControllerClass
  NSInteger cell_type = PSGroupCell;
  Strong name;        // _name
  Strong properties;  // _properties, an NSMutableDictionary
};

// A property of a specifier, nil when absent.
id specifier_property(id specifier, const char* key);
// Whether a property holds a true boolean (or a non-zero number).
bool specifier_flag(id specifier, const char* key, bool fallback);

}  // namespace sim
