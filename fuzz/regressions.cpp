// The fuzz harnesses without libFuzzer: replays every committed input (seed
// corpus and findings) of one target. Built in the normal test build; a
// finding that comes back aborts the run.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: fuzz_regressions exports|raster|script DIR...\n");
        return 2;
    }
    const std::string target = argv[1];
    void (*run)(const std::uint8_t*, std::size_t) = target == "exports"  ? RunExportsInput
                                                    : target == "raster" ? RunRasterInput
                                                    : target == "script" ? RunScriptInput
                                                                         : nullptr;
    if (run == nullptr) {
        std::fprintf(stderr, "fuzz_regressions: no target %s\n", target.c_str());
        return 2;
    }
    std::vector<std::filesystem::path> inputs;
    for (int i = 2; i < argc; ++i) {
        if (!std::filesystem::is_directory(argv[i])) continue;  // no findings yet
        for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::fprintf(stderr, "%s\n", path.string().c_str());
        run(bytes.data(), bytes.size());
    }
    std::printf("fuzz_regressions %s: %zu inputs, no finding\n", target.c_str(), inputs.size());
    return inputs.empty() ? 1 : 0;
}
