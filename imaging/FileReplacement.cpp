#include "imaging/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstddef>
#include <random>
#include <system_error>

#include "vcl/Exceptions.h"

namespace {

// A file-size limit (RLIMIT_FSIZE) would otherwise end the whole process with SIGXFSZ in the middle of a
// write. Ignored, the write fails with EFBIG instead, and the user is told and keeps the program.
void IgnoreFileSizeSignal()
{
    static const bool ignored = std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR;
    static_cast<void>(ignored);
}

std::string DirectoryOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Refuses, before anything is made, a path whose file could not be created or replaced. Returns the permission
// bits of an existing regular file of that name, or -1.
int CheckCreatable(const std::string& path, const std::string& directory, const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || path.size() >= PATH_MAX)
        throw EFCreateError(path);
    const long nameMax = pathconf(directory.c_str(), _PC_NAME_MAX);
    if (nameMax > 0 && name.size() > static_cast<std::size_t>(nameMax))
        throw EFCreateError(path);

    struct stat existing {};
    if (lstat(path.c_str(), &existing) != 0) {
        // ENOENT is the usual case of a new file; a missing directory then fails at the temporary file.
        if (errno != ENOENT)
            throw EFCreateError(path);
        return -1;
    }
    if (S_ISLNK(existing.st_mode))
        return -1;
    if (!S_ISREG(existing.st_mode))
        throw EFCreateError(path);
    // A read-only file is not to be replaced. The mode bits are checked as well as access(), because access()
    // grants root everything.
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        throw EFCreateError(path);
    return static_cast<int>(existing.st_mode & 0777);
}

// Opens a new file of a name nobody uses yet in the directory, with O_EXCL so that nothing is ever taken over.
// The mode 0666 leaves the rest to the umask, as for any new file.
int CreateTemporary(const std::string& path, const std::string& directory, std::string& temporary)
{
    std::random_device random;
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix;
        for (int i = 0; i < 10; ++i)
            suffix += digits[random() % 36];
        temporary = directory + "/.tolvaner-" + suffix + ".tmp";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST && errno != EINTR)
            break;
    }
    throw EFCreateError(path);
}

[[noreturn]] void FailWriting(const std::string& path, const std::string& temporary, int fd, int error)
{
    if (fd >= 0)
        close(fd);
    unlink(temporary.c_str());
    throw EWriteError(path, std::generic_category().message(error));
}

void WriteAll(const std::string& path, const std::string& temporary, int fd, const std::vector<std::uint8_t>& bytes)
{
    // Bounded chunks: Linux writes at most about 2 GiB in one call anyway.
    constexpr std::size_t kChunk = std::size_t(1) << 30;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t wanted = bytes.size() - done < kChunk ? bytes.size() - done : kChunk;
        const ssize_t written = write(fd, bytes.data() + done, wanted);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            FailWriting(path, temporary, fd, errno);
        }
        if (written == 0)
            FailWriting(path, temporary, fd, EIO);
        done += static_cast<std::size_t>(written);
    }
}

// Makes the rename itself durable. Some file systems cannot flush a directory (EINVAL); there is nothing more
// to do on those.
void FlushDirectory(const std::string& path, const std::string& directory)
{
    const int fd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    const int result = fsync(fd);
    const int error = errno;
    close(fd);
    if (result != 0 && error != EINVAL && error != EROFS)
        throw EWriteError(path, std::generic_category().message(error));
}

}  // namespace

void WriteFileReplacing(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    IgnoreFileSizeSignal();
    const std::string directory = DirectoryOf(path);
    const int keptMode = CheckCreatable(path, directory, NameOf(path));

    std::string temporary;
    int fd = CreateTemporary(path, directory, temporary);
    // Best effort: a file that could not take over the old permissions still gets the usual ones.
    if (keptMode >= 0)
        static_cast<void>(fchmod(fd, static_cast<mode_t>(keptMode)));

    WriteAll(path, temporary, fd, bytes);
    if (fsync(fd) != 0)
        FailWriting(path, temporary, fd, errno);
    const int closed = close(fd);
    fd = -1;
    if (closed != 0)
        FailWriting(path, temporary, fd, errno);

    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        unlink(temporary.c_str());
        if (error == ENOSPC || error == EDQUOT || error == EIO)
            throw EWriteError(path, std::generic_category().message(error));
        throw EFCreateError(path);
    }
    FlushDirectory(path, directory);
}
