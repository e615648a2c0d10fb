#pragma once

#include <QString>
#include <string>

// The file system's own bytes for a path chosen in Qt's terms. Qt 6 reads every file name as UTF-8 and shows
// bytes that are not UTF-8 (a Latin-1 "\xE9t\xE9.jpg") as U+FFFD, so such a name has no exact QString and its
// UTF-8 form names no file. Where a part of the path holds U+FFFD and does not exist as written, it is looked
// up among its folder's entries by the name Qt shows for them, and a single match gives that entry's bytes.
// Every other path is returned as UTF-8.
std::string NativeFileName(const QString& path);
