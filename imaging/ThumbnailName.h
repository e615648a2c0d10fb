#pragma once

#include <string>

// The thumbnail's path for a source path: the extension of the file-name part, if it has one, is replaced by
// "_thumb.JPG"; a name without one gets "_thumb.JPG" appended. Only '.' and '/' are delimiters, so a dot in a
// directory name is never taken for an extension. The result always differs from the source.
std::string ThumbnailPath(const std::string& source);
