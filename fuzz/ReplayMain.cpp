#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

// Without libFuzzer (the gcc builds), each fuzz target gets this main instead: it runs the target once on every
// file of the folders it is given, so the seed corpus and the kept findings are replayed as an ordinary test.

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        // A target without kept findings has no regression folder: git keeps no empty folders.
        if (!std::filesystem::exists(argv[i], error) && !error)
            continue;
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[i], error))
            if (entry.is_regular_file())
                files.push_back(entry.path());
        if (error) {
            std::fprintf(stderr, "cannot read %s: %s\n", argv[i], error.message().c_str());
            return 1;
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::vector<std::uint8_t> bytes = ReadAll(file);
            // A copy of exactly the file's size, so that the sanitizers see a read past its end.
            const auto copy = std::make_unique<std::uint8_t[]>(bytes.size());
            std::copy(bytes.begin(), bytes.end(), copy.get());
            LLVMFuzzerTestOneInput(copy.get(), bytes.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    // Replaying nothing proves nothing: a missing or empty corpus fails.
    return replayed > 0 ? 0 : 1;
}
