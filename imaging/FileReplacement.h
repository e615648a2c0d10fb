#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes bytes as the whole content of the file at path, replacing any file of that name only once the new
// content is completely on disk: the bytes go to a new temporary file in the same directory, which is flushed
// and then renamed over path. Whatever fails, an earlier file of that name keeps its content and no temporary
// file stays behind.
//
// Raises EFCreateError "Cannot create file <path>" before anything is written when the file cannot be made:
// its directory is missing or not writable, the path is invalid or too long, the name belongs to a directory
// or to anything else that is not a regular file or a symbolic link, or an existing file of that name is
// read-only. Raises EWriteError "Cannot write file <path>: <reason>" when writing, flushing or closing fails.
//
// A symbolic link at path is replaced by the new file itself; the file it points to is left untouched, so the
// output never lands outside path's own directory. A replaced regular file's permission bits are kept.
void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes);
