#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QXmlStreamReader>
#include <algorithm>
#include <map>
#include <vector>

#include "XDisplay.h"

// Checks an installed Tolvaner (the program named by TOLVANER_PROGRAM, e.g. /usr/bin/tolvaner) together with
// the desktop files installed beside it under the same prefix, the way a desktop finds and starts it.
namespace {

const QRgb kGreen = qRgb(0, 128, 0);

struct Installation {
    QString program;  // canonical path of the installed program
    QString prefix;   // the folder holding bin/ and share/
    QString Share(const QString& path) const { return prefix + QStringLiteral("/share/") + path; }
};

Installation Installed()
{
    const QFileInfo program(qEnvironmentVariable("TOLVANER_PROGRAM"));
    return {program.canonicalFilePath(), QDir(program.absolutePath() + QStringLiteral("/..")).canonicalPath()};
}

// The keys of a desktop file's [Desktop Entry] group.
std::map<QString, QString> ReadDesktopEntry(const QString& path)
{
    std::map<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QStringLiteral("[Desktop Entry]");
        else if (inEntry && !line.startsWith(QLatin1Char('#')) && line.contains(QLatin1Char('=')))
            entry[line.section(QLatin1Char('='), 0, 0).trimmed()] = line.section(QLatin1Char('='), 1).trimmed();
    }
    return entry;
}

// The texts of the elements with this name in an XML file, or the parser's complaint.
QStringList ReadXmlTexts(const QString& path, const QString& element)
{
    QStringList texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            texts << xml.readElementText().trimmed();
    return xml.hasError() ? QStringList{QStringLiteral("XML error: ") + xml.errorString()} : texts;
}

bool IsEmptyFolder(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
}

TEST(InstalledProgram, TheMetainfoLeadsToTheDesktopEntryAndTheDesktopEntryToTheProgram)
{
    const Installation installed = Installed();
    ASSERT_FALSE(installed.program.isEmpty()) << "TOLVANER_PROGRAM must name the installed program";

    const QString metainfo = installed.Share(QStringLiteral("metainfo/" TOLVANER_APP_ID ".metainfo.xml"));
    ASSERT_TRUE(QFileInfo::exists(metainfo)) << metainfo.toStdString();
    EXPECT_EQ(ReadXmlTexts(metainfo, QStringLiteral("id")), QStringList{TOLVANER_APP_ID});
    EXPECT_EQ(ReadXmlTexts(metainfo, QStringLiteral("launchable")), QStringList{TOLVANER_APP_ID ".desktop"});
    EXPECT_EQ(ReadXmlTexts(metainfo, QStringLiteral("binary")), QStringList{QFileInfo(installed.program).fileName()});

    const auto entry = ReadDesktopEntry(installed.Share(QStringLiteral("applications/" TOLVANER_APP_ID ".desktop")));
    ASSERT_FALSE(entry.empty()) << "no desktop entry named after the component id";
    // A launcher runs Exec through the search path; it must reach this very program.
    const QString found = QStandardPaths::findExecutable(entry.count("Exec") ? entry.at("Exec") : QString(),
                                                         {installed.prefix + QStringLiteral("/bin")});
    EXPECT_EQ(QFileInfo(found).canonicalFilePath(), installed.program) << "Exec resolves to the installed program";

    const QString iconName = entry.count("Icon") ? entry.at("Icon") : QString();
    const QImage icon(installed.Share(QStringLiteral("icons/hicolor/48x48/apps/%1.png").arg(iconName)));
    EXPECT_EQ(icon.size(), QSize(48, 48)) << "the icon named by the entry, in the 48 x 48 hicolor folder";
    EXPECT_TRUE(icon.hasAlphaChannel());
}

// Started as a menu would start it, with no arguments, in an empty home, working and runtime folder: the window
// shows, a task bar can match it to the desktop entry, it ends with exit code 0, and it leaves nothing behind.
TEST(InstalledProgram, ItsWindowMatchesTheDesktopEntryAndItLeavesNothingBehind)
{
    const Installation installed = Installed();
    ASSERT_FALSE(installed.program.isEmpty()) << "TOLVANER_PROGRAM must name the installed program";
    const auto entry = ReadDesktopEntry(installed.Share(QStringLiteral("applications/" TOLVANER_APP_ID ".desktop")));
    ASSERT_FALSE(entry.empty());

    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString home = scratch.filePath(QStringLiteral("home")), work = scratch.filePath(QStringLiteral("work"));
    const QString runtime = scratch.filePath(QStringLiteral("runtime"));
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(work) && QDir().mkpath(runtime));
    // A session's runtime folder is private to its user; Qt refuses one that is not.
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    XDisplay display;
    ASSERT_TRUE(display.Running()) << "Xvfb could not be started (is the xvfb package installed?)";
    QProcess program;
    QProcessEnvironment environment = display.ClientEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    // As a desktop session starts it: Qt chooses its platform itself.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(work);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(installed.program, {});
    ASSERT_TRUE(program.waitForStarted(10000));

    const unsigned long window = display.WaitForWindow("Tolvane", 30000);
    ASSERT_NE(window, 0ul) << "no window captioned \"Tolvane\" appeared";
    const QStringList windowClass = display.WindowClass(window);
    ASSERT_EQ(windowClass.size(), 2);
    EXPECT_EQ(entry.count("StartupWMClass") ? entry.at("StartupWMClass") : QString(), windowClass[1]);
    EXPECT_EQ(entry.count("Name") ? entry.at("Name") : QString(), windowClass[1]) << "the task-bar entry's name";
    const std::vector<QSize> icons = display.IconSizes(window);
    EXPECT_NE(std::find(icons.begin(), icons.end(), QSize(48, 48)), icons.end()) << "the task-bar icon";

    // The program draws its window from resources compiled into it: the green background shows they came along.
    const QImage client = display.GrabWhen(
        window, [](const QImage& image) { return (image.pixel(2, 2) | 0xff000000u) == kGreen; }, 20000);
    ASSERT_FALSE(client.isNull());
    EXPECT_EQ(client.pixel(2, 2) | 0xff000000u, kGreen);

    display.SendDeleteWindow(window);
    ASSERT_TRUE(program.waitForFinished(30000)) << "the program did not end when its window was closed";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(IsEmptyFolder(home)) << "settings or caches written to the home folder";
    EXPECT_TRUE(IsEmptyFolder(work)) << "files written to the working folder";
    EXPECT_TRUE(IsEmptyFolder(runtime)) << "files left in the session's runtime folder";
}

}  // namespace
