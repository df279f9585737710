#include "sim/runtime/block.h"

#include "sim/runtime/host_classes.h"

namespace sim {
namespace {

Class install() { return define_class<BlockObj>("NSBlock", ensure_class("NSObject")); }
SIM_HOST_CLASS("NSBlock", Layer::Foundation, install);

}  // namespace

id make_block(void (*invoke)(void*), void* context) {
  id b = alloc_instance(ensure_class("NSBlock"));
  as<BlockObj>(b)->invoke = invoke;
  as<BlockObj>(b)->context = context;
  return objc_autorelease(b);
}

id make_object_block(void (*invoke)(void*, id), void* context, void (*dispose)(void*)) {
  id b = alloc_instance(ensure_class("NSBlock"));
  as<BlockObj>(b)->invoke_with_object = invoke;
  as<BlockObj>(b)->context = context;
  as<BlockObj>(b)->dispose = dispose;
  return objc_autorelease(b);
}

void call_block(id block) { call_block_with_object(block, nullptr); }

void call_block_with_object(id block, id argument) {
  if (!block) return;
  auto* b = as<BlockObj>(block);
  if (b->invoke_with_object) b->invoke_with_object(b->context, argument);
  else if (b->invoke) b->invoke(b->context);
}

}  // namespace sim
