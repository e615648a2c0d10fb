#include "imaging/FileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>
#include <stdexcept>

#include "vcl/Exceptions.h"
#include "vcl/MemoryBudget.h"

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { ::close(fd_); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

// Reads are split so that one call never asks for more than the kernel hands out at once.
constexpr std::size_t kMaxReadBytes = std::size_t(1) << 30;

}  // namespace

std::vector<std::uint8_t> ReadFileContents(const std::string& fileName)
{
    // Non-blocking, so that opening a FIFO returns at once and is refused below instead of waiting for a writer.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw EFOpenError(fileName);
    const FileDescriptor file(fd);
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        throw EFOpenError(fileName);

    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > std::numeric_limits<std::size_t>::max() || size > AvailableMemoryBytes())
        throw EMemoryStreamError();
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EMemoryStreamError();
    } catch (const std::length_error&) {
        throw EMemoryStreamError();
    }

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::read(file.Get(), bytes.data() + done, std::min(bytes.size() - done, kMaxReadBytes));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            throw EReadError();
        done += static_cast<std::size_t>(count);
    }
    return bytes;
}
