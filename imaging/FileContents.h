#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The whole content of a regular file, read in one go. Raises EFOpenError "Cannot open file <fileName>" when
// the path cannot be opened or is no regular file (a directory, a FIFO, a device), EMemoryStreamError when the
// content cannot be held in memory, EReadError when fewer bytes than the file's size can be read.
std::vector<std::uint8_t> ReadFileContents(const std::string& fileName);
