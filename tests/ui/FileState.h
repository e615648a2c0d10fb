#pragma once

#include <QStringList>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// What the data-safety tests compare of a file before and after a run.
struct FileState {
    std::vector<std::uint8_t> bytes;
    timespec modified{};
};

FileState StateOf(const std::string& path);

// The file has the same bytes and the same modification time as before.
void ExpectUnchanged(const std::string& path, const FileState& before);

// The folder's entries as Qt lists them, hidden ones included.
QStringList Entries(const std::string& folder);
