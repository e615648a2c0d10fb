#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "imaging/ThumbnailName.h"

namespace {

struct NameCase {
    std::string source;
    std::string output;
};

const NameCase kNames[] = {
    {"/home/ann/a.b/photo.jpeg", "/home/ann/a.b/photo_thumb.JPG"},  // a dotted directory
    {"/home/ann/a.b/photo", "/home/ann/a.b/photo_thumb.JPG"},       // no extension
    {"/pics/photo.", "/pics/photo_thumb.JPG"},                       // trailing full stop
    {"/pics/trip.old.jpg", "/pics/trip.old_thumb.JPG"},             // several full stops
    {"/pics/x_thumb.JPG", "/pics/x_thumb_thumb.JPG"},               // an earlier thumbnail
    {"/pics/.jpg", "/pics/_thumb.JPG"},                             // the name is only an extension
    {"photo.jpg", "photo_thumb.JPG"},                               // relative, no directory
    {"pics/photo.JpEg", "pics/photo_thumb.JPG"},                    // relative; the case of the extension
    {"./photo.JPG", "./photo_thumb.JPG"},
    {"../a.b/photo", "../a.b/photo_thumb.JPG"},
    {"/photo.jpg", "/photo_thumb.JPG"},
    {"/pics/", "/pics/_thumb.JPG"},
    {"photo", "photo_thumb.JPG"},
    {"", "_thumb.JPG"},
    // A colon and a backslash are ordinary characters of a POSIX file name.
    {"C:photo.jpg", "C:photo_thumb.JPG"},
    {"/pics/a\\b.c\\photo", "/pics/a\\b_thumb.JPG"},
    {"/pics/C:\\x", "/pics/C:\\x_thumb.JPG"},
    // UTF-8 names keep every byte.
    {"/bilder/Ærø ø.jpg", "/bilder/Ærø ø_thumb.JPG"},
    {"/写真/旅行.2023/東京.jpeg", "/写真/旅行.2023/東京_thumb.JPG"},
    {"/写真/旅行.2023/東京", "/写真/旅行.2023/東京_thumb.JPG"},
    {"/фото/снимок.ПНГ", "/фото/снимок_thumb.JPG"},
    {"/pics/émoji 😀.jpg", "/pics/émoji 😀_thumb.JPG"},
};

std::string DirectoryPart(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void ExpectProperties(const std::string& source)
{
    const std::string output = ThumbnailPath(source);
    EXPECT_NE(output, source);
    EXPECT_EQ(DirectoryPart(output), DirectoryPart(source));
    EXPECT_TRUE(EndsWith(output, "_thumb.JPG")) << output;
    // Only the file-name part's extension goes: what remains of the source is a prefix of it.
    const std::string kept = output.substr(0, output.size() - std::string("_thumb.JPG").size());
    EXPECT_EQ(source.compare(0, kept.size(), kept), 0) << output;
    const std::string dropped = source.substr(kept.size());
    EXPECT_TRUE(dropped.empty() || (dropped[0] == '.' && dropped.find_first_of("./", 1) == std::string::npos))
        << "dropped [" << dropped << "]";
}

}  // namespace

TEST(ThumbnailPath, ReplacesOnlyTheExtensionOfTheFileName)
{
    for (const NameCase& c : kNames) {
        SCOPED_TRACE("source [" + c.source + "]");
        EXPECT_EQ(ThumbnailPath(c.source), c.output);
        ExpectProperties(c.source);
    }
}

// Every path of up to five pieces over an alphabet of delimiters, look-alikes and a two-byte character.
TEST(ThumbnailPath, PropertiesHoldForEveryShortPath)
{
    const std::vector<std::string> pieces = {"a", ".", "/", "\\", ":", "_", "é"};
    std::vector<std::string> level = {""};
    for (int length = 1; length <= 5; ++length) {
        std::vector<std::string> next;
        for (const std::string& path : level)
            for (const std::string& piece : pieces)
                next.push_back(path + piece);
        for (const std::string& path : next) {
            SCOPED_TRACE("source [" + path + "]");
            ExpectProperties(path);
        }
        level = std::move(next);
    }
}
