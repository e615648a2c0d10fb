#include "imaging/ThumbnailName.h"

std::string ThumbnailPath(const std::string& source)
{
    // Bytes of multi-byte UTF-8 characters are all 0x80 or above, so a byte-wise scan never mistakes one of
    // them for a delimiter.
    const std::string::size_type delimiter = source.find_last_of("./");
    std::string result = source;
    if (delimiter != std::string::npos && source[delimiter] == '.')
        result.erase(delimiter);
    result += "_thumb.JPG";
    return result;
}
