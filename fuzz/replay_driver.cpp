// Stands in for libFuzzer in the test build: runs the fuzz target once on every file of the
// folders (searched recursively) and files named on the command line, so that the seeds run
// under the sanitizers with every test run.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool ReadFile(const fs::path& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SEED_DIR_OR_FILE...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg = argv[i];
        std::error_code ec;
        if (fs::is_regular_file(arg, ec)) {
            inputs.push_back(arg);
            continue;
        }
        if (!fs::is_directory(arg, ec)) {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
        std::vector<fs::path> found;
        for (const auto& entry : fs::recursive_directory_iterator(arg, ec))
            if (entry.is_regular_file())
                found.push_back(entry.path());
        if (ec) {
            std::fprintf(stderr, "%s: %s\n", argv[i], ec.message().c_str());
            return 1;
        }
        if (found.empty()) {
            std::fprintf(stderr, "%s: no inputs in the folder\n", argv[i]);
            return 1;
        }
        std::sort(found.begin(), found.end());
        inputs.insert(inputs.end(), found.begin(), found.end());
    }

    std::vector<uint8_t> bytes;
    for (const fs::path& input : inputs) {
        if (!ReadFile(input, bytes)) {
            std::fprintf(stderr, "%s: cannot read\n", input.c_str());
            return 1;
        }
        // A buffer of exactly the input's size, as libFuzzer gives, so that the sanitizers
        // see a read past its end; never a null pointer, even for an empty input.
        const std::unique_ptr<uint8_t[]> exact(new uint8_t[std::max<size_t>(bytes.size(), 1)]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        LLVMFuzzerTestOneInput(exact.get(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
