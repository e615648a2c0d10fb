#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "imaging/ThumbnailName.h"

// The output name of any source path: never the source itself, in the source's directory, ending in
// "_thumb.JPG", and made only by dropping the extension of the file-name part, if there is one.

namespace {

const std::string kEnding = "_thumb.JPG";

std::string DirectoryPart(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string source(reinterpret_cast<const char*>(data), size);
    const std::string output = ThumbnailPath(source);

    FUZZ_CHECK(output != source);
    FUZZ_CHECK(output.size() >= kEnding.size());
    FUZZ_CHECK(output.compare(output.size() - kEnding.size(), kEnding.size(), kEnding) == 0);
    FUZZ_CHECK(DirectoryPart(output) == DirectoryPart(source));

    // What is left of the source is a prefix of it; what was dropped is empty or one extension: a full stop
    // and then neither a full stop nor a slash.
    const std::string kept = output.substr(0, output.size() - kEnding.size());
    FUZZ_CHECK(source.compare(0, kept.size(), kept) == 0);
    const std::string dropped = source.substr(kept.size());
    FUZZ_CHECK(dropped.empty() || (dropped[0] == '.' && dropped.find_first_of("./", 1) == std::string::npos));
    // An extension is dropped exactly when the file-name part has one.
    const std::string name = source.substr(DirectoryPart(source).size());
    FUZZ_CHECK(dropped.empty() == (name.find('.') == std::string::npos));
    return 0;
}
