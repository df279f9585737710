// Blocks as the simulated host passes them: an object holding a function
// and its context. The library hands the platform a function pointer and a
// context; the platform wraps them in a block for the host's methods.
#pragma once

#include "sim/runtime/runtime.h"

namespace sim {

struct BlockObj : objc_object {
  void (*invoke)(void*) = nullptr;
  // A block that takes one object (a timer's block gets its timer).
  void (*invoke_with_object)(void*, id) = nullptr;
  void* context = nullptr;
  // Run when the block is freed: what the block captured goes with it.
  void (*dispose)(void*) = nullptr;
  BlockObj() = default;
  BlockObj(const BlockObj&) = delete;
  BlockObj& operator=(const BlockObj&) = delete;
  ~BlockObj() {
    if (dispose) dispose(context);
  }
};

id make_block(void (*invoke)(void*), void* context);  // autoreleased
// A block taking one object argument; `dispose` (may be null) runs with the
// context when the block is freed.
id make_object_block(void (*invoke)(void*, id), void* context, void (*dispose)(void*));
void call_block(id block);  // nil does nothing
// Calls a block with one object argument; a block that takes no argument
// ignores it.
void call_block_with_object(id block, id argument);

}  // namespace sim
