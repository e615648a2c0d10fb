// Draws the splash picture and the icon, and writes them with the window description into the folder given
// as the only argument (the resources folder). The outputs are committed; run this only to remake them.
#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AppIcon.h"
#include "SplashPicture.h"
#include "imaging/JpegEncoder.h"
#include "vcl/TBitmap.h"

namespace {

std::vector<std::uint8_t> EncodeSplash(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    TBitmap bitmap;
    bitmap.SetSize(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(bitmap.ScanLine(y), rgb.constScanLine(y), std::size_t(rgb.width()) * 4);
    return EncodeJpeg(bitmap, 90, false);
}

// The stored picture: the class name with its length byte, the byte count (32-bit little-endian), the file.
std::vector<std::uint8_t> PictureData(const std::vector<std::uint8_t>& jpeg)
{
    const std::string className = "TJPEGImage";
    std::vector<std::uint8_t> data;
    data.push_back(static_cast<std::uint8_t>(className.size()));
    data.insert(data.end(), className.begin(), className.end());
    const auto count = static_cast<std::uint32_t>(jpeg.size());
    for (int shift = 0; shift < 32; shift += 8)
        data.push_back(static_cast<std::uint8_t>(count >> shift));
    data.insert(data.end(), jpeg.begin(), jpeg.end());
    return data;
}

std::string HexLines(const std::vector<std::uint8_t>& bytes, const char* indent)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 32 == 0)
            text += indent;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
        if (i % 32 == 31 || i + 1 == bytes.size())
            text += '\n';
    }
    return text;
}

std::string Description(const std::vector<std::uint8_t>& pictureData)
{
    return "object Form1: TForm1\n"
           "  Left = 667\n"
           "  Top = 83\n"
           "  BorderIcons = [biSystemMenu]\n"
           "  BorderStyle = bsDialog\n"
           "  Caption = 'Tolvane'\n"
           "  ClientHeight = 292\n"
           "  ClientWidth = 222\n"
           "  Color = clGreen\n"
           "  Font.Charset = DEFAULT_CHARSET\n"
           "  Font.Color = clWindowText\n"
           "  Font.Height = -11\n"
           "  Font.Name = 'MS Sans Serif'\n"
           "  Font.Style = []\n"
           "  PixelsPerInch = 96\n"
           "  TextHeight = 13\n"
           "  object Image1: TImage\n"
           "    Left = 8\n"
           "    Top = 72\n"
           "    Width = 105\n"
           "    Height = 105\n"
           "  end\n"
           "  object Image2: TImage\n"
           "    Left = 120\n"
           "    Top = 72\n"
           "    Width = 105\n"
           "    Height = 105\n"
           "  end\n"
           "  object Image3: TImage\n"
           "    Left = 8\n"
           "    Top = 72\n"
           "    Width = 206\n"
           "    Height = 206\n"
           "    AutoSize = True\n"
           "    Picture.Data = {\n" +
           HexLines(pictureData, "      ") +
           "    }\n"
           "  end\n"
           "  object Button1: TButton\n"
           "    Left = 56\n"
           "    Top = 40\n"
           "    Width = 113\n"
           "    Height = 25\n"
           "    Caption = 'Load Me! Size Me!'\n"
           "    TabOrder = 0\n"
           "    OnClick = Button1Click\n"
           "  end\n"
           "  object Edit1: TEdit\n"
           "    Left = 88\n"
           "    Top = 8\n"
           "    Width = 57\n"
           "    Height = 21\n"
           "    TabOrder = 1\n"
           "    Text = '640'\n"
           "  end\n"
           "  object OpenDialog1: TOpenDialog\n"
           "    Left = 8\n"
           "    Top = 8\n"
           "  end\n"
           "end\n";
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const std::vector<std::uint8_t> jpeg = EncodeSplash(DrawSplashPicture());
    const QByteArray jpegBytes(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()));
    const std::string description = Description(PictureData(jpeg));

    if (!WriteFile(folder.filePath(QStringLiteral("splash.jpg")), jpegBytes) ||
        !WriteFile(folder.filePath(QStringLiteral("Unit1.dfm")), QByteArray::fromStdString(description)))
        return 1;
    if (!DrawAppIcon().save(folder.filePath(QStringLiteral("tolvaner.png")), "PNG")) {
        std::fprintf(stderr, "cannot write the icon\n");
        return 1;
    }
    std::printf("splash %zu bytes, description %zu bytes\n", jpeg.size(), description.size());
    return 0;
}
