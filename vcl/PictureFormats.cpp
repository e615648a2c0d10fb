#include "vcl/PictureFormats.h"

#include <algorithm>

namespace {

std::vector<TPictureFormat>& Formats()
{
    static std::vector<TPictureFormat> formats;
    return formats;
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const std::string& className, TGraphicFactory create)
{
    Formats().push_back({extension, description, className, create});
}

void UnregisterGraphicClass(const std::string& className)
{
    auto& formats = Formats();
    formats.erase(std::remove_if(formats.begin(), formats.end(),
                                 [&](const TPictureFormat& f) { return f.className == className; }),
                  formats.end());
}

const TPictureFormat* FindGraphicClass(const std::string& className)
{
    const auto& formats = Formats();
    for (auto it = formats.rbegin(); it != formats.rend(); ++it)
        if (it->className == className)
            return &*it;
    return nullptr;
}

const std::vector<TPictureFormat>& RegisteredFileFormats()
{
    return Formats();
}
