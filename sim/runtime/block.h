// Blocks as the simulated host passes them: an object holding a function
// and its context. The library hands the platform a function pointer and a
// context; the platform wraps them in a block for the host's methods.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct BlockObj : objc_object {
  void (*invoke)(void*) = nullptr;
  void* context = nullptr;
};

id make_block(void (*invoke)(void*), void* context);  // autoreleased
void call_block(id block);                            // nil does nothing

}  // namespace sim
