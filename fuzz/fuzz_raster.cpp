// libFuzzer entry point of the raster harness (harness.h).
#include <cstddef>
#include <cstdint>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunRasterInput(data, size);
    return 0;
}
