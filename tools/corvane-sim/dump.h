// What the host can observe, as JSON: objects (views, colours, images,
// platter controllers, ...), the event log, the hook table and files.
#pragma once

#include <string>

#include "sim/runtime/runtime.h"
#include "tools/corvane-sim/json.h"
#include "tools/corvane-sim/session.h"

namespace corvane::cli {

// An object as `dump NAME` and `send` print it. Dumping a view takes the
// animation records it shows (they are "since the last dump").
Json dump_object(const Session& s, id object);
Json dump_view(const Session& s, id view, id parent);
Json colour_json(id colour);  // [r,g,b,a] or null
Json image_json(id image);    // {"size": [w,h], "scale": s}
Json events_json(const Session& s);
Json runtime_json();
// One class as the runtime holds it: its chain, its own methods and class
// methods (sorted by selector, with their encodings) and its own ivars.
Json class_json(Class cls);
// A class where an object is printed (a send's result): {"classObject": NAME}.
Json class_ref_json(Class cls);
Json process_json(const Session& s);
// A property-list file (device path) as JSON; null when absent or unreadable.
Json file_json(const Session& s, const std::string& device_path);
// The library's settings values as it holds them; null before it loads.
Json settings_json(const Session& s);

// The Settings app's open page (dump pane); null outside the Settings app.
Json pane_json(const Session& s);

}  // namespace corvane::cli
