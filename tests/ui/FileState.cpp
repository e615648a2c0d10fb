#include "FileState.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>

#include "JpegFixtures.h"

FileState StateOf(const std::string& path)
{
    FileState state{fixtures::ReadFileBytes(path), {}};
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    state.modified = status.st_mtim;
    return state;
}

void ExpectUnchanged(const std::string& path, const FileState& before)
{
    const FileState after = StateOf(path);
    EXPECT_EQ(after.bytes, before.bytes) << path;
    EXPECT_EQ(after.modified.tv_sec, before.modified.tv_sec) << path;
    EXPECT_EQ(after.modified.tv_nsec, before.modified.tv_nsec) << path;
}

QStringList Entries(const std::string& folder)
{
    return QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                          QDir::NoDotAndDotDot);
}
