// SPDX-License-Identifier: MIT
// Stands in for libFuzzer where it is not there: hands each file named on
// the command line, or each file in a directory named there, to the fuzz
// target once, so that a plain build replays the corpus as a test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

int replay(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // An empty vector may have no storage; the target still gets a valid
    // pointer, as libFuzzer gives it.
    bytes.reserve(1);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; i++) {
        std::filesystem::path path = argv[i];
        if (std::filesystem::is_directory(path)) {
            for (const auto &entry : std::filesystem::directory_iterator(path)) {
                failures += replay(entry.path());
                inputs++;
            }
        } else {
            failures += replay(path);
            inputs++;
        }
    }
    std::printf("replayed %d inputs\n", inputs);
    return failures == 0 && inputs > 0 ? 0 : 1;
}
