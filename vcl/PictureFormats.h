#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vcl/TGraphic.h"

// The registry of picture kinds that a stored picture can be typed by. The component layer knows no kind of
// its own here: a library registers its kinds at start-up, which is what lets a stored picture of that kind
// be read at all.
using TGraphicFactory = std::unique_ptr<TGraphic> (*)();

struct TPictureFormat {
    std::string extension;    // "jpg"
    std::string description;  // "JPEG Image File"
    std::string className;    // "TJPEGImage"
    TGraphicFactory create;
};

void RegisterFileFormat(const std::string& extension, const std::string& description,
                        const std::string& className, TGraphicFactory create);

// Withdraws every registration of that class.
void UnregisterGraphicClass(const std::string& className);

// The newest registration whose class name matches exactly (case counts), or null.
const TPictureFormat* FindGraphicClass(const std::string& className);

// All registrations, oldest first.
const std::vector<TPictureFormat>& RegisteredFileFormats();
