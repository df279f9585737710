// The block literal the library's seam makes on a device with the
// compiler's block syntax: here a block object of the host's, holding the
// function, its context and what disposes of the context.
#include "sim/runtime/block.h"
#include "sim/seam_services.h"

extern "C" id sim_block_with_object(void (*invoke)(void*, id), void* context, void (*dispose)(void*)) {
  return sim::make_object_block(invoke, context, dispose);
}
