// Property-list files of the simulated host: reading either encoding,
// writing XML as the platform does, and replacing files atomically.
//
// Parsing goes through libplist, behind checks that refuse what libplist
// would otherwise misread (a document cut short, "12x" as an integer,
// incomplete base64, ...). Bytes that are not a complete, well-formed
// property list never produce a value.
//
// Limits that come from libplist and the formats:
// - Strings and keys are UTF-8 without NUL characters. Files holding other
//   strings are refused; when writing, a string ends at its first NUL, and
//   invalid UTF-8 does not survive the binary encoding.
// - Dates are whole seconds in the years 1000 to 9999, the dates that the XML
//   form writes and reads back unchanged. A binary date's fraction is
//   dropped when it is read (toward zero, as the XML writer would drop it);
//   a file holding a date outside that range, or not a number, is refused.
//   So whatever is read can be rewritten as XML and read back equal.
// - A real of -0.0 is written to XML as 0.0.
// - Keyed-archive UIDs, sets and null objects are not accepted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "sim/foundation/plist_value.h"

namespace sim::plist {

// The largest property-list file read. Settings files hold a few hundred
// bytes; anything near this size is not one.
inline constexpr std::size_t kMaxFileBytes = 8u << 20;

// The property list held by bytes, in XML or binary encoding (detected from
// the bytes); nullopt for anything else, including empty input.
std::optional<Value> parse(const void* bytes, std::size_t n);
std::optional<Value> parse(std::string_view bytes);

// Reads and parses the file at path. When the file is missing, unreadable,
// not a regular file, larger than kMaxFileBytes or not a property list, returns nullopt and, when error
// is not null, stores a message naming the path and the cause.
std::optional<Value> read_file(const std::string& path, std::string* error);

// The XML encoding: the usual XML declaration and DOCTYPE, a <plist
// version="1.0"> root, tab indentation. Reals read back as the same double.
std::string to_xml(const Value& value);

// The binary ("bplist00") encoding.
std::string to_binary(const Value& value);

// Replaces the file at path with bytes so that a reader sees either the old
// or the new contents in full, never a mixture: the bytes go to a new
// temporary file beside the target, which is flushed to disk and then
// renamed over it. An existing target's permission bits are kept; a new file
// gets 0644. On failure the target is untouched, the temporary file is
// removed, false is returned and error (when not null) says why.
bool write_atomically(const std::string& path, std::string_view bytes, std::string* error);

// write_atomically(path, to_xml(value), error).
bool write_xml_atomically(const std::string& path, const Value& value, std::string* error);

}  // namespace sim::plist
