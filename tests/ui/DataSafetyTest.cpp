#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "CommandFixture.h"
#include "FileState.h"
#include "imaging/ThumbnailName.h"
#include "ui/Unit1.h"
#include "vcl/Beep.h"

// Whatever a run meets, the user's files come out of it whole: the source is never written to, an earlier
// thumbnail stays byte for byte until a complete new one replaces it, and no partial or temporary file is left.

namespace {

using Bytes = std::vector<std::uint8_t>;

const char kConfirmation[] =
    "The image has been resized and saved in the same directory as the original. The filename will have _thumb "
    "appended to the original filename.";

const Bytes kEarlier = {'e', 'a', 'r', 'l', 'i', 'e', 'r'};

// Mounts a small file system of its own on a folder for the length of a test, where the sandbox allows it.
class SmallFileSystem {
public:
    SmallFileSystem(const std::string& folder, const std::string& options) : folder_(folder)
    {
        mounted_ = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~SmallFileSystem()
    {
        if (mounted_) {
            EXPECT_EQ(umount(folder_.c_str()), 0) << std::strerror(errno);
        }
    }
    bool Mounted() const { return mounted_; }
    std::string Why() const { return std::strerror(error_); }
    bool MakeReadOnly() { return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    std::string folder_;
    bool mounted_ = false;
    int error_ = 0;
};

class DataSafety : public CommandFixture {
protected:
    std::string Folder(const std::string& name)
    {
        const std::string folder = PathInDir(name);
        EXPECT_TRUE(QDir().mkpath(QString::fromStdString(folder))) << folder;
        return folder;
    }

    // One run that should fail while saving: its error, no beep, no confirmation, the source and any earlier
    // thumbnail as they were, and nothing new in the folder.
    void RunExpectingSaveError(const std::string& source, const std::string& expectedError,
                               const std::function<void()>& around = {})
    {
        const std::string folder = source.substr(0, source.rfind('/'));
        const std::string output = ThumbnailPath(source);
        const FileState sourceBefore = StateOf(source);
        const bool hadOutput = QFileInfo(QString::fromStdString(output)).isFile();
        const FileState outputBefore = hadOutput ? StateOf(output) : FileState{};
        const QStringList entriesBefore = Entries(folder);
        const int beeps = BeepCount();
        errors.clear();
        confirmations.clear();

        ChooseFile(source);
        ExpectError();
        if (around)
            around();
        else
            ClickButton();

        EXPECT_EQ(errors, std::vector<std::string>{expectedError});
        EXPECT_EQ(confirmations, std::vector<std::string>{});
        EXPECT_EQ(BeepCount(), beeps);
        ExpectUnchanged(source, sourceBefore);
        if (hadOutput)
            ExpectUnchanged(output, outputBefore);
        EXPECT_EQ(Entries(folder), entriesBefore) << "no partial or temporary file";
    }
};

// The source is opened for reading only: its bytes and its modification time survive every kind of run.
TEST_F(DataSafety, SourceIsNeverWritten)
{
    struct Case {
        const char* name;
        const char* fileName;
        Bytes bytes;
        const char* sizeText;
        const char* error;  // null: the run succeeds
    };
    const Bytes baseline = fixtures::MakeJpeg(fixtures::Recipe(400, 300));
    const Case cases[] = {
        {"baseline", "photo.jpg", baseline, "640", nullptr},
        {"progressive", "photo.jpeg", fixtures::MakeJpeg(fixtures::Recipe(300, 400, fixtures::Colour::YCbCr,
                                                                         fixtures::Coding::Progressive)),
         "100", nullptr},
        {"grey", "grey.JPG", fixtures::MakeJpeg(fixtures::Recipe(64, 64, fixtures::Colour::Grey)), "32", nullptr},
        {"named like a thumbnail", "x_thumb.JPG", baseline, "50", nullptr},
        {"without extension", "photo", baseline, "50", nullptr},
        {"cut short in its scan", "cut.jpg", Bytes(baseline.begin(), baseline.begin() + static_cast<long>(baseline.size() / 2)),
         "64", nullptr},
        {"arithmetic coding", "arith.jpg",
         fixtures::MakeJpeg(fixtures::Recipe(64, 48, fixtures::Colour::YCbCr, fixtures::Coding::Arithmetic)), "64",
         "JPEG error #1."},
        {"not a JPEG", "png.jpg", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "64", "JPEG error #52."},
        {"target size 0", "zero.jpg", baseline, "0", "Cannot make a thumbnail of 0 x 0 pixels."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = Folder(c.name) + "/" + c.fileName;
        fixtures::WriteFileBytes(source, c.bytes);
        // Read-only, as a photograph on a camera card or in an archive often is: reading must still work.
        ASSERT_EQ(chmod(source.c_str(), 0444), 0);
        const FileState before = StateOf(source);
        errors.clear();
        confirmations.clear();
        TypeSize(c.sizeText);
        ChooseFile(source);
        if (c.error)
            ExpectError();
        else
            ExpectConfirmation();
        ClickButton();

        EXPECT_EQ(errors, c.error ? std::vector<std::string>{c.error} : std::vector<std::string>{});
        EXPECT_EQ(confirmations.size(), c.error ? 0u : 1u);
        ExpectUnchanged(source, before);
        EXPECT_EQ(QFileInfo(QString::fromStdString(ThumbnailPath(source))).isFile(), c.error == nullptr);
    }
}

// Links can make the thumbnail's name another name of the source file itself; writing the thumbnail would then
// destroy the photograph. A link at the thumbnail's name that points to the source is only a name, and is
// replaced like any earlier thumbnail.
TEST_F(DataSafety, ALinkNeverTurnsTheSourceIntoItsThumbnail)
{
    const Bytes photograph = fixtures::MakeJpeg(fixtures::Recipe(400, 300));
    {
        SCOPED_TRACE("the source is a symbolic link to the thumbnail's name");
        const std::string folder = Folder("symbolic");
        fixtures::WriteFileBytes(folder + "/photo_thumb.JPG", photograph);
        ASSERT_EQ(symlink("photo_thumb.JPG", (folder + "/photo.jpg").c_str()), 0);
        RunExpectingSaveError(folder + "/photo.jpg", "Cannot create file " + folder + "/photo_thumb.JPG.");
        EXPECT_EQ(fixtures::ReadFileBytes(folder + "/photo_thumb.JPG"), photograph);
    }
    {
        SCOPED_TRACE("the thumbnail's name is a second hard link of the source");
        const std::string folder = Folder("hard");
        fixtures::WriteFileBytes(folder + "/photo.jpg", photograph);
        ASSERT_EQ(link((folder + "/photo.jpg").c_str(), (folder + "/photo_thumb.JPG").c_str()), 0);
        RunExpectingSaveError(folder + "/photo.jpg", "Cannot create file " + folder + "/photo_thumb.JPG.");
        EXPECT_EQ(fixtures::ReadFileBytes(folder + "/photo.jpg"), photograph);
    }
    {
        SCOPED_TRACE("the thumbnail's name is a symbolic link to the source");
        const std::string folder = Folder("reverse");
        const std::string source = folder + "/photo.jpg";
        fixtures::WriteFileBytes(source, photograph);
        ASSERT_EQ(symlink("photo.jpg", (folder + "/photo_thumb.JPG").c_str()), 0);
        errors.clear();
        ChooseFile(source);
        ExpectConfirmation();
        ClickButton();
        EXPECT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(fixtures::ReadFileBytes(source), photograph);
        struct stat status {};
        ASSERT_EQ(lstat((folder + "/photo_thumb.JPG").c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode)) << "the link is replaced by the thumbnail itself";
        EXPECT_EQ(fixtures::DecodeJpeg(fixtures::ReadFileBytes(folder + "/photo_thumb.JPG")).width, 640);
    }
}

// A file-size limit below the thumbnail's size: the write fails, the program says so and goes on.
TEST_F(DataSafety, FileSizeLimitKeepsTheEarlierThumbnail)
{
    const std::string source = Folder("limited") + "/photo.jpg";
    fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(800, 600)));
    const std::string output = ThumbnailPath(source);
    fixtures::WriteFileBytes(output, kEarlier);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    RunExpectingSaveError(source, "Cannot write file " + output + ": File too large.", [&] {
        rlimit limited = saved;
        limited.rlim_cur = 4096;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
        ClickButton();
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    });
    EXPECT_EQ(fixtures::ReadFileBytes(output), kEarlier);

    // The limit lifted, the same run succeeds and replaces the earlier file.
    ChooseFile(source);
    ExpectConfirmation();
    ClickButton();
    EXPECT_EQ(confirmations.back(), kConfirmation);
    EXPECT_EQ(fixtures::DecodeJpeg(fixtures::ReadFileBytes(output)).width, 640);
}

// A file system that fills up during the write.
TEST_F(DataSafety, FullFileSystemKeepsTheEarlierThumbnail)
{
    const std::string folder = Folder("small");
    const SmallFileSystem small(folder, "size=256k,mode=0755");
    if (!small.Mounted())
        GTEST_SKIP() << "this sandbox cannot mount a file system: " << small.Why();
    const std::string source = folder + "/photo.jpg";
    fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(320, 240)));
    const std::string output = ThumbnailPath(source);
    fixtures::WriteFileBytes(output, kEarlier);
    // Fill what is left, so that only a few blocks remain: too few for the thumbnail.
    {
        const std::string filler = folder + "/filler";
        std::FILE* f = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const std::vector<char> block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
        }
        std::fclose(f);
        ASSERT_EQ(truncate(filler.c_str(), static_cast<off_t>(QFileInfo(QString::fromStdString(filler)).size()) - 8192), 0);
    }
    RunExpectingSaveError(source, "Cannot write file " + output + ": No space left on device.");
    EXPECT_EQ(fixtures::ReadFileBytes(output), kEarlier);
}

// Places the program may not write to: a folder the user cannot write, a read-only file system, a read-only
// earlier thumbnail. Nothing is created, and the earlier thumbnail stays.
TEST_F(DataSafety, ReadOnlyPlacesKeepTheEarlierThumbnail)
{
    // Root writes anywhere: the run is made as an ordinary user for the read-only folder.
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    {
        SCOPED_TRACE("a folder the user cannot write");
        const std::string folder = Folder("read-only folder");
        const std::string source = folder + "/photo.jpg";
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(400, 300)));
        fixtures::WriteFileBytes(ThumbnailPath(source), kEarlier);
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        const uid_t nobody = 65534;
        const bool root = geteuid() == 0;
        RunExpectingSaveError(source, "Cannot create file " + ThumbnailPath(source) + ".", [&] {
            if (root) {
                ASSERT_EQ(seteuid(nobody), 0) << std::strerror(errno);
            }
            ClickButton();
            if (root) {
                ASSERT_EQ(seteuid(0), 0);
            }
        });
        EXPECT_EQ(fixtures::ReadFileBytes(ThumbnailPath(source)), kEarlier);
    }
    {
        SCOPED_TRACE("a read-only earlier thumbnail in a writable folder");
        const std::string source = Folder("read-only thumbnail") + "/photo.jpg";
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(400, 300)));
        fixtures::WriteFileBytes(ThumbnailPath(source), kEarlier);
        ASSERT_EQ(chmod(ThumbnailPath(source).c_str(), 0444), 0);
        RunExpectingSaveError(source, "Cannot create file " + ThumbnailPath(source) + ".");
        EXPECT_EQ(fixtures::ReadFileBytes(ThumbnailPath(source)), kEarlier);
    }
    {
        SCOPED_TRACE("a read-only file system");
        const std::string folder = Folder("read-only file system");
        SmallFileSystem mounted(folder, "size=1m,mode=0755");
        if (!mounted.Mounted()) {
            std::cout << "skipped the read-only file system: " << mounted.Why() << "\n";
            return;
        }
        const std::string source = folder + "/photo.jpg";
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(400, 300)));
        fixtures::WriteFileBytes(ThumbnailPath(source), kEarlier);
        ASSERT_TRUE(mounted.MakeReadOnly()) << std::strerror(errno);
        RunExpectingSaveError(source, "Cannot create file " + ThumbnailPath(source) + ".");
        EXPECT_EQ(fixtures::ReadFileBytes(ThumbnailPath(source)), kEarlier);
    }
}

}  // namespace
