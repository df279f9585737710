// The CoreGraphics objects alive in the host, by address: the emulation's
// boundary takes a raw value the guest hands over for a colour space, an
// image or a context only when it is one of these.
#pragma once

namespace sim::graphics {

enum class GraphicsKind : unsigned char { ColorSpace, Image, Context };

void note_live(GraphicsKind kind, const void* object);  // made
void forget_live(const void* object);                   // freed
bool is_live(GraphicsKind kind, const void* object);

}  // namespace sim::graphics
