// libFuzzer entry point of the script harness (harness.h).
#include <cstddef>
#include <cstdint>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RunScriptInput(data, size);
    return 0;
}
