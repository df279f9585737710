#include "sim/runtime/block.h"

#include "sim/process/host_classes.h"

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

void call_block(id block) {
  if (block && as<BlockObj>(block)->invoke) as<BlockObj>(block)->invoke(as<BlockObj>(block)->context);
}

}  // namespace sim
