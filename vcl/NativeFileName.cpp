#include "vcl/NativeFileName.h"

#include <sys/stat.h>

#include <QStringList>
#include <filesystem>
#include <system_error>

namespace {

bool Exists(const std::string& path)
{
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

// The one entry of folder that Qt shows as shown, or an empty string when there is none or more than one.
std::string EntryShownAs(const std::string& folder, const QString& shown)
{
    std::string match;
    int matches = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder.empty() ? "." : folder, error)) {
        const std::string name = entry.path().filename().native();
        if (QString::fromStdString(name) == shown) {
            match = name;
            ++matches;
        }
    }
    return matches == 1 ? match : std::string();
}

}  // namespace

std::string NativeFileName(const QString& path)
{
    const std::string written = path.toStdString();
    if (!path.contains(QChar::ReplacementCharacter) || Exists(written))
        return written;
    const QStringList parts = path.split(QLatin1Char('/'));
    std::string native;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            native += '/';
        const std::string part = parts[i].toStdString();
        if (!parts[i].contains(QChar::ReplacementCharacter) || Exists(native + part)) {
            native += part;
            continue;
        }
        const std::string entry = EntryShownAs(native, parts[i]);
        native += entry.empty() ? part : entry;
    }
    return native;
}
