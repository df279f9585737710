// Structural checks run on property-list bytes before libplist sees them.
//
// libplist 2.2 is lenient: it accepts XML whose root element is never closed
// (so a file cut short after its top-level dictionary still "parses"),
// reads "12x" as 12, an empty <real> as 0, a leading-zero integer as octal,
// and so on. These checks turn all of that into "not a property list", and
// they keep input that libplist's recursive parsers handle badly (deep
// nesting, cycles of references in binary files) away from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sim::plist::detail {

// Deepest nesting of arrays and dictionaries accepted in either encoding.
inline constexpr int kMaxDepth = 512;

// Most values (arrays, dictionaries and scalars; keys not counted) in one
// property list, and most bytes of strings and data, counted as the tree
// that parsing makes: in a binary file every reference to a shared object
// counts again, since libplist copies it out each time.
inline constexpr std::uint64_t kMaxObjects = 1u << 18;
inline constexpr std::uint64_t kMaxExpandedBytes = 64u << 20;

// True when text is a well-formed UTF-8 XML document whose root is a <plist>
// element holding one value, or a bare value element, and whose values are
// all well-formed: dictionaries alternate <key> and value, integers are
// decimal (no leading zeros) or 0x-hexadecimal and fit in 64 bits, reals are
// numbers, dates are YYYY-MM-DDTHH:MM:SSZ, data is complete base64,
// <true/> and <false/> are empty, strings hold only well-formed references
// to characters other than NUL and surrogates, and there are at most
// kMaxObjects values.
bool xml_is_well_formed(std::string_view text);

// True when bytes are a binary property list whose trailer, offset table
// and every object reachable from the root lie inside the buffer, with no
// reference cycles, within the limits above once expanded, strings that convert to UTF-8 without NUL
// characters, and only the object kinds Value can hold.
bool binary_is_well_formed(std::string_view bytes);

}  // namespace sim::plist::detail
