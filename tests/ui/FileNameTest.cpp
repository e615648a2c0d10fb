#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "CommandFixture.h"
#include "FileState.h"
#include "ui/Unit1.h"
#include "vcl/TOpenDialog.h"

// File names reach the thumbnail's name with every byte, whatever the locale: the tests also run under LC_ALL=C.

namespace {

class FileNames : public CommandFixture {
protected:
    std::string Folder(const std::string& name)
    {
        const std::string folder = PathInDir(name);
        EXPECT_TRUE(QDir().mkpath(QString::fromStdString(folder))) << folder;
        return folder;
    }
};

// Names as users give them, typed into the dialog: every byte of the name reaches the thumbnail's name, in
// whatever locale the program runs.
TEST_F(FileNames, NamesKeepEveryCharacter)
{
    std::cout << "LC_ALL=" << (std::getenv("LC_ALL") ? std::getenv("LC_ALL") : "(unset)")
              << ", character type locale " << std::setlocale(LC_CTYPE, nullptr) << "\n";
    struct Case {
        const char* folder;
        const char* name;
        const char* thumbnail;
    };
    const Case cases[] = {
        {"plain", "with space.jpg", "with space_thumb.JPG"},
        {"two  spaces", " leading and trailing .jpeg ", " leading and trailing _thumb.JPG"},
        {"Ærø", "Ærø ø.jpg", "Ærø ø_thumb.JPG"},
        {"写真 2023", "東京 旅行.jpeg", "東京 旅行_thumb.JPG"},
        {"фото", "снимок.ПНГ", "снимок_thumb.JPG"},
        {"emoji", "émoji 😀.jpg", "émoji 😀_thumb.JPG"},
        {"marks", "quote'\"semi;amp&dollar$percent%.jpg", "quote'\"semi;amp&dollar$percent%_thumb.JPG"},
        {"dotted.folder", "-dash #hash.tar.gz", "-dash #hash.tar_thumb.JPG"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + "/" + c.name);
        const std::string folder = Folder(c.folder);
        const std::string source = folder + "/" + c.name;
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(120, 90)));
        const FileState before = StateOf(source);
        errors.clear();
        TypeSize("60");
        ChooseFile(source);
        ExpectConfirmation();
        ClickButton();

        EXPECT_EQ(errors, std::vector<std::string>{});
        ExpectUnchanged(source, before);
        const std::string output = folder + "/" + c.thumbnail;
        struct stat status {};
        ASSERT_EQ(stat(output.c_str(), &status), 0) << "no file of the exact name " << output;
        const fixtures::Decoded decoded = fixtures::DecodeJpeg(fixtures::ReadFileBytes(output));
        EXPECT_EQ(decoded.width, 60);
        EXPECT_EQ(decoded.height, 45);
        EXPECT_EQ(Entries(folder).size(), 2);
    }
}

// Names whose bytes are not UTF-8 (Latin-1 from an old archive, a camera's own names) have no exact form in Qt,
// which shows each stray byte as U+FFFD. The name as Qt shows it still finds the file when exactly one entry
// of the folder looks like that, and the thumbnail's name keeps the original bytes.
TEST_F(FileNames, NamesThatAreNotUtf8KeepTheirBytes)
{
    const auto shown = [](const std::string& bytes) { return QString::fromStdString(bytes).toStdString(); };
    // Qt cannot remove what it cannot list: the test's folders go by their bytes.
    struct RemovedAtEnd {
        std::vector<std::string> folders;
        ~RemovedAtEnd()
        {
            for (const std::string& folder : folders) {
                std::error_code ignored;
                std::filesystem::remove_all(folder, ignored);
            }
        }
    } removed;
    struct Case {
        const char* folder;
        const char* name;
        const char* thumbnail;
    };
    const Case cases[] = {
        {"latin", "\xE9t\xE9.jpg", "\xE9t\xE9_thumb.JPG"},
        {"caf\xE9 \xFF", "photo.jpg", "photo_thumb.JPG"},
        {"mixed \xE9", "\xFF\xFE d\xE9j\xE0 vu.Jpeg", "\xFF\xFE d\xE9j\xE0 vu_thumb.JPG"},
    };
    for (const Case& c : cases) {
        const std::string folder = PathInDir(c.folder);
        SCOPED_TRACE(shown(folder) + "/" + shown(c.name));
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        removed.folders.push_back(folder);
        const std::string source = folder + "/" + c.name;
        fixtures::WriteFileBytes(source, fixtures::MakeJpeg(fixtures::Recipe(120, 90)));
        const FileState before = StateOf(source);
        errors.clear();
        TypeSize("60");
        ChooseFile(shown(source));
        ExpectConfirmation();
        ClickButton();

        EXPECT_EQ(errors, std::vector<std::string>{});
        EXPECT_EQ(Form1->OpenDialog1->FileName(), source);
        ExpectUnchanged(source, before);
        const std::string output = folder + "/" + c.thumbnail;
        ASSERT_EQ(access(output.c_str(), F_OK), 0) << "no file of the exact bytes";
        EXPECT_EQ(fixtures::DecodeJpeg(fixtures::ReadFileBytes(output)).width, 60);
        // Counted by the file system itself: Qt leaves such names out of its listings.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
    }

    // Two entries that Qt shows alike: neither is guessed.
    const std::string folder = PathInDir("alike");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    removed.folders.push_back(folder);
    fixtures::WriteFileBytes(folder + "/\xE9.jpg", fixtures::MakeJpeg(fixtures::Recipe(16, 16)));
    fixtures::WriteFileBytes(folder + "/\xE8.jpg", fixtures::MakeJpeg(fixtures::Recipe(16, 16)));
    errors.clear();
    ChooseFile(shown(folder + "/\xE9.jpg"));
    ExpectError();
    ClickButton();
    EXPECT_EQ(errors, std::vector<std::string>{"Cannot open file " + shown(folder + "/\xE9.jpg") + "."});
}

}  // namespace
