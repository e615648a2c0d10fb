#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "ModalAnswerer.h"
#include "vcl/Exceptions.h"
#include "vcl/FormDescription.h"
#include "vcl/FormReader.h"
#include "vcl/PictureFormats.h"
#include "vcl/TButton.h"
#include "vcl/TEdit.h"
#include "vcl/TForm.h"
#include "vcl/TImage.h"
#include "vcl/TOpenDialog.h"

namespace {

TEST(FormDescription, ReadsEveryKindOfValueAndNestedObjects)
{
    const FormObject root = ParseFormDescription(
        "object Main: TMain\n"
        "  Caption = 'It''s here'\n"
        "  Left = -12\n"
        "  Color = clGreen\n"
        "  BorderIcons = [biSystemMenu, biHelp]\n"
        "  Font.Style = []\n"
        "  Picture.Data = {\n"
        "    0aFF\n"
        "    10 }\n"
        "  object Inner: TInner\n"
        "    Top = +7\n"
        "  end\n"
        "end\n");
    EXPECT_EQ(root.name, "Main");
    EXPECT_EQ(root.className, "TMain");
    ASSERT_EQ(root.properties.size(), 6u);
    EXPECT_EQ(root.properties[0].value.kind, FormValue::Kind::String);
    EXPECT_EQ(root.properties[0].value.text, "It's here");
    EXPECT_EQ(root.properties[1].value.integer, -12);
    EXPECT_EQ(root.properties[2].value.kind, FormValue::Kind::Identifier);
    EXPECT_EQ(root.properties[2].value.text, "clGreen");
    EXPECT_EQ(root.properties[3].value.set, (std::vector<std::string>{"biSystemMenu", "biHelp"}));
    EXPECT_EQ(root.properties[4].name, "Font.Style");
    EXPECT_TRUE(root.properties[4].value.set.empty());
    EXPECT_EQ(root.properties[5].value.bytes, (std::vector<std::uint8_t>{0x0A, 0xFF, 0x10}));
    EXPECT_EQ(root.properties[5].line, 7);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].name, "Inner");
    EXPECT_EQ(root.children[0].properties[0].value.integer, 7);
}

TEST(FormDescription, FaultyTextNamesItsLine)
{
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"object A: TA\n  Caption = 'open\nend\n", "line 2: unterminated string"},
        {"object A: TA\n  Left 3\nend\n", "line 2: '=' expected"},
        {"object A: TA\n  Data = { 0G }\nend\n", "line 2: hexadecimal byte expected"},
        {"object A: TA\n  Data = { 0A\n", "line 3: unterminated binary data"},
        {"object A: TA\n  Left = 99999999999\nend\n", "line 2: number out of range"},
        {"object A: TA\nend\nend\n", "line 3: text after the last 'end'"},
        {"thing A: TA\nend\n", "line 1: 'object' expected"},
        {"object A TA\nend\n", "line 1: ':' expected"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseFormDescription(c.text);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), std::string("Error in window description, ") + c.message);
        }
    }
}

// A picture kind that the component layer does not know of itself; it remembers what it was given.
class TFakePicture : public TGraphic {
public:
    static inline int made = 0;
    int madeBy = 0;
    std::vector<std::uint8_t> data;

    int Width() const override { return 30; }
    int Height() const override { return 20; }
    bool Empty() const override { return false; }
    void Draw(TCanvas&, const TRect&) override {}
    void ReadData(const std::uint8_t* bytes, std::size_t size) override { data.assign(bytes, bytes + size); }
};

template <int Variant>
std::unique_ptr<TGraphic> MakeFake()
{
    auto fake = std::make_unique<TFakePicture>();
    fake->madeBy = Variant;
    ++TFakePicture::made;
    return fake;
}

class TAllKindsForm : public TForm {
public:
    TButton* Button1 = nullptr;
    TEdit* Edit1 = nullptr;
    TImage* Image1 = nullptr;
    TImage* Image2 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    std::vector<std::string> bound;
    int clicks = 0;

    void BindComponent(const std::string& name, TObject* component) override
    {
        bound.push_back(name);
        if (name == "Button1")
            BindField(Button1, component);
        else if (name == "Edit1")
            BindField(Edit1, component);
        else if (name == "Image1")
            BindField(Image1, component);
        else if (name == "Image2")
            BindField(Image2, component);
        else if (name == "OpenDialog1")
            BindField(OpenDialog1, component);
    }
    TNotifyEvent FindMethod(const std::string& name) override
    {
        if (name == "Button1Click")
            return [this](TObject* sender) {
                EXPECT_EQ(sender, Button1);
                ++clicks;
            };
        return {};
    }
};

// Picture data for the class name: length byte, name, then four payload bytes.
std::string PictureHex(const std::string& className)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex += digits[className.size() >> 4];
    hex += digits[className.size() & 15];
    for (unsigned char c : className) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex + "DEADBEEF";
}

std::string AllKinds(const std::string& pictureClass, const std::string& extraButtonProperty = "")
{
    return "object Form: TAllKindsForm\n"
           "  Left = 30\n  Top = 40\n  Caption = 'All kinds'\n  ClientWidth = 200\n  ClientHeight = 150\n"
           "  Color = clNavy\n  Font.Height = -11\n  Font.Name = 'MS Sans Serif'\n"
           "  PixelsPerInch = 96\n  TextHeight = 13\n"
           "  object Image1: TImage\n    Left = 1\n    Top = 2\n    Width = 50\n    Height = 60\n  end\n"
           "  object Image2: TImage\n    Left = 4\n    Top = 6\n    AutoSize = True\n"
           "    Picture.Data = {\n      " + PictureHex(pictureClass) + "\n    }\n  end\n"
           "  object Button1: TButton\n    Left = 10\n    Top = 20\n    Width = 80\n    Height = 25\n"
           "    Caption = 'Press'\n    TabOrder = 1\n    OnClick = Button1Click\n" + extraButtonProperty + "  end\n"
           "  object Edit1: TEdit\n    Left = 12\n    Top = 50\n    Width = 57\n    Height = 21\n"
           "    TabOrder = 0\n    Text = 'It''s'\n  end\n"
           "  object OpenDialog1: TOpenDialog\n    Left = 8\n    Top = 8\n  end\n"
           "end\n";
}

class FormReading : public ::testing::Test {
protected:
    void SetUp() override { TFakePicture::made = 0; }
    void TearDown() override
    {
        UnregisterGraphicClass("TFakePicture");
        EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "a window was left open";
    }
};

TEST_F(FormReading, CreatesBindsAndSetsEveryComponent)
{
    RegisterFileFormat("fake", "Fake", "TFakePicture", MakeFake<1>);
    TAllKindsForm form;
    ReadForm(form, AllKinds("TFakePicture"), 96);

    EXPECT_EQ(form.bound, (std::vector<std::string>{"Image1", "Image2", "Button1", "Edit1", "OpenDialog1"}));
    ASSERT_TRUE(form.Button1 && form.Edit1 && form.Image1 && form.Image2 && form.OpenDialog1);
    EXPECT_EQ(form.objectName(), "Form");
    EXPECT_EQ(form.Caption(), "All kinds");
    EXPECT_EQ(form.Left(), 30);
    EXPECT_EQ(form.Top(), 40);
    EXPECT_EQ(form.ClientWidth(), 200);
    EXPECT_EQ(form.ClientHeight(), 150);
    EXPECT_EQ(form.Color(), QColor(0, 0, 128));
    EXPECT_EQ(form.font().pixelSize(), 11);
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.Button1->geometry(), QRect(10, 20, 80, 25));
    EXPECT_EQ(form.Button1->Caption(), "Press");
    EXPECT_EQ(form.Edit1->geometry(), QRect(12, 50, 57, 21));
    EXPECT_EQ(form.Edit1->Text(), "It's");
    EXPECT_EQ(form.Image1->geometry(), QRect(1, 2, 50, 60));
    EXPECT_TRUE(form.Image1->Picture().Empty());

    form.Button1->click();
    EXPECT_EQ(form.clicks, 1);
}

TEST_F(FormReading, StoredPictureIsTypedByTheNewestRegistrationOfItsExactClassName)
{
    RegisterFileFormat("fake", "Fake", "TFakePicture", MakeFake<1>);
    RegisterFileFormat("fake2", "Fake too", "TFakePicture", MakeFake<2>);
    TAllKindsForm form;
    ReadForm(form, AllKinds("TFakePicture"), 96);
    auto* picture = dynamic_cast<TFakePicture*>(form.Image2->Picture().Graphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->madeBy, 2);
    EXPECT_EQ(picture->data, (std::vector<std::uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    // AutoSize takes the picture's size over the one the image had.
    EXPECT_EQ(form.Image2->geometry(), QRect(4, 6, 30, 20));
}

TEST_F(FormReading, UnregisteredPictureKindLeavesTheImageEmptyWithoutError)
{
    RegisterFileFormat("fake", "Fake", "TFakePicture", MakeFake<1>);
    for (const char* className : {"TJPEGImage", "tfakepicture", "TFakePictures", "TFake"}) {
        SCOPED_TRACE(className);
        ModalAnswerer answerer;
        answerer.Then([](QWidget* modal) { modal->close(); });
        TAllKindsForm form;
        ASSERT_NO_THROW(ReadForm(form, AllKinds(className), 96));
        EXPECT_EQ(form.Image2->Picture().Graphic(), nullptr);
        EXPECT_EQ(TFakePicture::made, 0);
        QApplication::processEvents();
        EXPECT_EQ(answerer.Answered(), 0) << "no message for a missing picture kind";
    }
}

TEST_F(FormReading, ButtonsAndEditBoxesLieAboveImagesAndTabOrderIsKept)
{
    TAllKindsForm form;
    ReadForm(form, AllKinds("TNothing"), 96);
    const QObjectList stack = form.children();
    EXPECT_GT(stack.indexOf(form.Button1), stack.indexOf(form.Image2));
    EXPECT_GT(stack.indexOf(form.Edit1), stack.indexOf(form.Image2));
    EXPECT_GT(stack.indexOf(form.Image2), stack.indexOf(form.Image1));

    // Edit1 comes first in tab order although it was created after Button1.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    QTest::keyClick(form.Edit1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
    QTest::keyClick(form.Button1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
}

TEST_F(FormReading, DescriptionErrorsAreRaised)
{
    struct Case {
        std::string text;
        std::string message;
    };
    const std::string base = AllKinds("TNothing");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = base;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const Case cases[] = {
        {replaced("object Edit1: TEdit", "object Edit1: TMemo"), "class TMemo not found"},
        {replaced("OnClick = Button1Click", "OnClick = Button2Click"), "handler Button2Click not found"},
        {replaced("Caption = 'Press'", "Colour = 3"), "property Colour of TButton not known"},
        {replaced("object Image1: TImage", "object Image1: TEdit"), "Component Image1 is not of its field's class"},
        {replaced("Color = clNavy", "Color = clPlaid"), "unknown colour for Color"},
        {replaced("AutoSize = True", "AutoSize = Yes"), "AutoSize needs True or False"},
        {replaced(PictureHex("TNothing"), "0A5450"), "picture data is cut short"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TAllKindsForm form;
        try {
            ReadForm(form, c.text, 96);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        }
    }
}

TEST_F(FormReading, LayoutScalesWithTheScreenDensity)
{
    struct Case {
        int dpi;
        int fontPixels;
        QRect button;
        QSize client;
    };
    const Case cases[] = {
        {96, 11, QRect(10, 20, 80, 25), QSize(200, 150)},
        {100, 11, QRect(10, 20, 80, 25), QSize(200, 150)},
        {192, 22, QRect(20, 40, 160, 50), QSize(400, 300)},
        {120, 14, QRect(13, 26, 105, 33), QSize(262, 196)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        RegisterFileFormat("fake", "Fake", "TFakePicture", MakeFake<1>);
        TAllKindsForm form;
        ReadForm(form, AllKinds("TFakePicture"), c.dpi);
        EXPECT_EQ(form.font().pixelSize(), c.fontPixels);
        EXPECT_EQ(form.Button1->geometry(), c.button);
        EXPECT_EQ(QSize(form.ClientWidth(), form.ClientHeight()), c.client);
        EXPECT_EQ(QPoint(form.Left(), form.Top()), QPoint(30, 40)) << "the window's position is not scaled";
        EXPECT_EQ(form.Image2->size(), QSize(30, 20)) << "a picture keeps its own size";
        UnregisterGraphicClass("TFakePicture");
    }
}

}  // namespace
