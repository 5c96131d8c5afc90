#include "texture/host_memory.h"

namespace vrastex {

HostMemory hostMemory;

}  // namespace vrastex
