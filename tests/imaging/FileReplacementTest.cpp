#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "imaging/FileReplacement.h"
#include "vcl/Exceptions.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

Bytes Pattern(std::size_t size, std::uint8_t seed)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 31 + seed);
    return bytes;
}

// Every entry under the directory, recursively, so a stray temporary file anywhere shows.
std::set<std::string> Listing(const std::string& directory)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        names.insert(entry.path().string());
    return names;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode;
}

mode_t CurrentUmask()
{
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// Lowers the file-size limit for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

class WriteFileReplacingTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
    std::string Dir() const { return dir_.path().toStdString(); }

    QTemporaryDir dir_;
};

}  // namespace

TEST_F(WriteFileReplacingTest, CreatesANewFileWithTheUsualPermissions)
{
    ASSERT_TRUE(dir_.isValid());
    const std::string path = Path("photo_thumb.JPG");
    const Bytes bytes = Pattern(100000, 7);
    WriteFileReplacing(path, bytes);
    EXPECT_EQ(fixtures::ReadFileBytes(path), bytes);
    EXPECT_EQ(Listing(Dir()), std::set<std::string>{path});
    EXPECT_EQ(ModeOf(path) & 07777, 0666 & ~CurrentUmask());
    EXPECT_TRUE(S_ISREG(ModeOf(path)));
}

TEST_F(WriteFileReplacingTest, ReplacesAnEarlierFileKeepingItsPermissions)
{
    const std::string path = Path("photo_thumb.JPG");
    fixtures::WriteFileBytes(path, Pattern(500000, 1));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    const Bytes second = Pattern(1234, 2);
    WriteFileReplacing(path, second);
    EXPECT_EQ(fixtures::ReadFileBytes(path), second);
    EXPECT_EQ(Listing(Dir()), std::set<std::string>{path});
    EXPECT_EQ(ModeOf(path) & 07777, 0640u);

    const Bytes third = Pattern(99, 3);
    WriteFileReplacing(path, third);
    EXPECT_EQ(fixtures::ReadFileBytes(path), third);
    EXPECT_EQ(Listing(Dir()), std::set<std::string>{path});
}

TEST_F(WriteFileReplacingTest, RelativePathWritesIntoTheWorkingDirectory)
{
    const fs::path previous = fs::current_path();
    fs::current_path(Dir());
    const Bytes bytes = Pattern(10, 4);
    WriteFileReplacing("relative_thumb.JPG", bytes);
    fs::current_path(previous);
    EXPECT_EQ(fixtures::ReadFileBytes(Path("relative_thumb.JPG")), bytes);
    EXPECT_EQ(Listing(Dir()), std::set<std::string>{Path("relative_thumb.JPG")});
}

// A link at the name is replaced by the file; the file it pointed to, elsewhere, is not written.
TEST_F(WriteFileReplacingTest, SymbolicLinkIsReplacedAndItsTargetKept)
{
    QTemporaryDir elsewhere;
    const std::string target = elsewhere.path().toStdString() + "/target.jpg";
    const Bytes targetBytes = Pattern(300, 5);
    fixtures::WriteFileBytes(target, targetBytes);
    const std::string path = Path("photo_thumb.JPG");
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);

    const Bytes bytes = Pattern(200, 6);
    WriteFileReplacing(path, bytes);
    EXPECT_TRUE(S_ISREG(ModeOf(path)));
    EXPECT_EQ(fixtures::ReadFileBytes(path), bytes);
    EXPECT_EQ(fixtures::ReadFileBytes(target), targetBytes);
    EXPECT_EQ(Listing(Dir()), std::set<std::string>{path});
}

// Each failure leaves the directory exactly as it was: an earlier file keeps its bytes and no temporary file
// stays behind.
TEST_F(WriteFileReplacingTest, FailuresLeaveEverythingAsItWas)
{
    const std::string plainFile = Path("plain.txt");
    const Bytes plainBytes = Pattern(64, 9);
    fixtures::WriteFileBytes(plainFile, plainBytes);
    const std::string earlier = Path("earlier_thumb.JPG");
    const Bytes earlierBytes = Pattern(4000, 10);
    fixtures::WriteFileBytes(earlier, earlierBytes);
    const std::string readOnly = Path("readonly_thumb.JPG");
    const Bytes readOnlyBytes = Pattern(333, 11);
    fixtures::WriteFileBytes(readOnly, readOnlyBytes);
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    const std::string directoryName = Path("taken_thumb.JPG");
    ASSERT_TRUE(fs::create_directory(directoryName));
    const std::string fifo = Path("fifo_thumb.JPG");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);

    const struct {
        const char* what;
        std::string path;
        std::size_t size;
        rlim_t fileSizeLimit;  // 0: none
        std::string message;
    } cases[] = {
        {"a directory of the path is a regular file", plainFile + "/x_thumb.JPG", 100, 0,
         "Cannot create file " + plainFile + "/x_thumb.JPG"},
        {"a directory of the path is missing", Path("missing/x_thumb.JPG"), 100, 0,
         "Cannot create file " + Path("missing/x_thumb.JPG")},
        {"the name belongs to a directory", directoryName, 100, 0, "Cannot create file " + directoryName},
        {"the name belongs to a pipe", fifo, 100, 0, "Cannot create file " + fifo},
        {"an existing file is read-only", readOnly, 100, 0, "Cannot create file " + readOnly},
        {"the name is too long", Path(std::string(300, 'n') + "_thumb.JPG"), 100, 0,
         "Cannot create file " + Path(std::string(300, 'n') + "_thumb.JPG")},
        {"the path is empty", "", 100, 0, "Cannot create file "},
        {"the file-size limit is smaller than the data", earlier, 50000, 20000,
         "Cannot write file " + earlier + ": File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::set<std::string> before = Listing(Dir());
        try {
            const auto limit = c.fileSizeLimit ? std::make_unique<FileSizeLimit>(c.fileSizeLimit) : nullptr;
            WriteFileReplacing(c.path, Pattern(c.size, 12));
            ADD_FAILURE() << "written";
        } catch (const EStreamError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(Listing(Dir()), before);
        EXPECT_EQ(fixtures::ReadFileBytes(plainFile), plainBytes);
        EXPECT_EQ(fixtures::ReadFileBytes(earlier), earlierBytes);
        EXPECT_EQ(fixtures::ReadFileBytes(readOnly), readOnlyBytes);
        EXPECT_EQ(ModeOf(readOnly) & 07777, 0444u);
        EXPECT_TRUE(fs::is_directory(directoryName));
        EXPECT_TRUE(fs::is_empty(directoryName));
    }
}

TEST_F(WriteFileReplacingTest, CreateErrorsAreRaisedAsEFCreateErrorAndWriteErrorsAsEWriteError)
{
    const std::string readOnly = Path("readonly_thumb.JPG");
    fixtures::WriteFileBytes(readOnly, Pattern(10, 1));
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_THROW(WriteFileReplacing(readOnly, Pattern(10, 2)), EFCreateError);

    const std::string path = Path("big_thumb.JPG");
    FileSizeLimit limit(1000);
    EXPECT_THROW(WriteFileReplacing(path, Pattern(5000, 3)), EWriteError);
    EXPECT_FALSE(fs::exists(path));
}
