#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <climits>
#include <string>

#include "ModalAnswerer.h"
#include "vcl/Exceptions.h"
#include "vcl/FormReader.h"
#include "vcl/TBitmap.h"
#include "vcl/TButton.h"
#include "vcl/TCanvas.h"
#include "vcl/TEdit.h"
#include "vcl/TForm.h"
#include "vcl/TImage.h"

namespace {

class TControlsForm : public TForm {
public:
    TImage* Image1 = nullptr;
    TImage* Image2 = nullptr;
    TImage* Image3 = nullptr;
    TButton* Button1 = nullptr;
    TEdit* Edit1 = nullptr;
    int clicks = 0;

    void BindComponent(const std::string& name, TObject* c) override
    {
        if (name == "Image1")
            BindField(Image1, c);
        else if (name == "Image2")
            BindField(Image2, c);
        else if (name == "Image3")
            BindField(Image3, c);
        else if (name == "Button1")
            BindField(Button1, c);
        else if (name == "Edit1")
            BindField(Edit1, c);
    }
    TNotifyEvent FindMethod(const std::string& name) override
    {
        if (name == "Button1Click")
            return [this](TObject*) { ++clicks; };
        return {};
    }
};

const char* const kControls = R"(object Form: TControlsForm
  Caption = 'Controls'
  ClientWidth = 120
  ClientHeight = 100
  Color = clGreen
  object Image1: TImage
    Left = 10
    Top = 10
    Width = 40
    Height = 40
  end
  object Image2: TImage
    Left = 30
    Top = 10
    Width = 40
    Height = 40
  end
  object Image3: TImage
    Left = 50
    Top = 10
    Width = 40
    Height = 40
  end
  object Button1: TButton
    Left = 60
    Top = 20
    Width = 50
    Height = 20
    Caption = 'Go'
    TabOrder = 0
    OnClick = Button1Click
  end
  object Edit1: TEdit
    Left = 5
    Top = 70
    Width = 50
    Height = 21
    TabOrder = 1
    Text = '640'
  end
end
)";

class Controls : public ::testing::Test {
protected:
    void SetUp() override { ReadForm(form, kControls, 96); }
    void TearDown() override
    {
        form.close();
        form.hide();
    }

    void Fill(TImage& image, QRgb colour)
    {
        TCanvas& canvas = image.Canvas();
        TBitmap& bitmap = canvas.Target();
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                reinterpret_cast<QRgb*>(bitmap.ScanLine(y))[x] = colour;
    }

    QRgb At(const QImage& shot, int x, int y) { return shot.pixel(x, y) | 0xff000000u; }

    TControlsForm form;
};

TEST_F(Controls, LaterImagesDrawOverEarlierOnesAndEmptyImagesDrawNothing)
{
    const QRgb green = qRgb(0, 128, 0), red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
    QImage shot = form.grab().toImage();
    for (QPoint p : {QPoint(15, 15), QPoint(45, 45), QPoint(85, 45)}) {
        SCOPED_TRACE(p.x());
        EXPECT_EQ(At(shot, p.x(), p.y()), green) << "empty images show the window beneath";
    }
    Fill(*form.Image1, red);
    Fill(*form.Image3, blue);
    shot = form.grab().toImage();
    EXPECT_EQ(At(shot, 15, 15), red);
    EXPECT_EQ(At(shot, 45, 45), red) << "empty Image2 lets Image1 show through";
    EXPECT_EQ(At(shot, 55, 45), blue) << "Image3 lies over Image1";
    EXPECT_EQ(At(shot, 95, 45), green);

    form.Image3->SetVisible(false);
    EXPECT_FALSE(form.Image3->Visible());
    shot = form.grab().toImage();
    EXPECT_EQ(At(shot, 55, 45), green);
    EXPECT_EQ(At(shot, 45, 45), red);
}

TEST_F(Controls, ButtonLiesAboveImages)
{
    Fill(*form.Image3, qRgb(0, 0, 255));
    const QImage shot = form.grab().toImage();
    // The button's face, not the image's blue, at a point both cover.
    EXPECT_NE(At(shot, 62, 30), qRgb(0, 0, 255));
}

TEST_F(Controls, CanvasOfAnEmptyImageIsANewWhiteBitmapOfItsSize)
{
    form.Image1->SetWidth(30);
    form.Image1->SetHeight(7);
    TBitmap& bitmap = form.Image1->Canvas().Target();
    EXPECT_EQ(bitmap.Width(), 30);
    EXPECT_EQ(bitmap.Height(), 7);
    EXPECT_EQ(bitmap.Pixel(0, 0) | 0xff000000u, qRgb(255, 255, 255));
    EXPECT_EQ(bitmap.Pixel(29, 6) | 0xff000000u, qRgb(255, 255, 255));
    EXPECT_EQ(&form.Image1->Canvas().Target(), &bitmap) << "the second call reuses the bitmap";
    const QImage shot = form.grab().toImage();
    EXPECT_EQ(At(shot, 39, 16), qRgb(255, 255, 255));
    EXPECT_EQ(At(shot, 41, 16), qRgb(0, 128, 0)) << "nothing beyond the new size";
}

TEST_F(Controls, ImageSizesAreKeptAsSetAndTheWidgetClampsAtZero)
{
    struct Case {
        int width, height;
        QSize widget;
    };
    const Case cases[] = {{0, 0, {0, 0}}, {-5, 12, {0, 12}}, {640, -1, {640, 0}}, {INT_MAX, 3, {QWIDGETSIZE_MAX, 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        form.Image1->SetWidth(c.width);
        form.Image1->SetHeight(c.height);
        EXPECT_EQ(form.Image1->Width(), c.width);
        EXPECT_EQ(form.Image1->Height(), c.height);
        EXPECT_EQ(form.Image1->size(), c.widget);
        EXPECT_EQ(form.Image1->pos(), QPoint(10, 10));
    }
    form.Image1->SetWidth(-3);
    form.Image1->SetHeight(4);
    EXPECT_FALSE(form.Image1->Canvas().Target().HasPixels()) << "a negative side gives a bitmap without pixels";
}

TEST_F(Controls, AssigningPicturesCopiesOrClears)
{
    Fill(*form.Image2, qRgb(1, 2, 3));
    form.Image1->Picture().Assign(form.Image2->Picture());
    auto* copy = dynamic_cast<TBitmap*>(form.Image1->Picture().Graphic());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, form.Image2->Picture().Graphic());
    Fill(*form.Image2, qRgb(9, 9, 9));
    EXPECT_EQ(copy->Pixel(0, 0) | 0xff000000u, qRgb(1, 2, 3)) << "the copy does not follow its source";

    TImage empty;
    form.Image1->Picture().Assign(empty.Picture());
    EXPECT_EQ(form.Image1->Picture().Graphic(), nullptr);
    EXPECT_EQ(form.Image1->size(), QSize(40, 40)) << "clearing keeps the image's size";
}

class TRefusingPicture : public TGraphic {
public:
    int draws = 0;
    int Width() const override { return 10; }
    int Height() const override { return 10; }
    bool Empty() const override { return false; }
    void Draw(TCanvas&, const TRect&) override
    {
        ++draws;
        throw EJPEG(1);
    }
};

TEST_F(Controls, APictureThatFailsToDrawIsReportedOnceAndThenDrawsNothing)
{
    auto picture = std::make_unique<TRefusingPicture>();
    TRefusingPicture* refusing = picture.get();
    form.Image3->Picture().SetGraphic(std::move(picture));
    EXPECT_THROW(form.Image3->Canvas(), EInvalidGraphic) << "only bitmaps can be drawn on";

    QString shown;
    ModalAnswerer answerer;
    answerer.Then([&](QWidget* modal) {
        shown = modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
        ModalAnswerer::PressKey(modal, Qt::Key_Return);
    });
    form.grab();
    form.grab();
    EXPECT_TRUE(QTest::qWaitFor([&] { return answerer.Answered() == 1; }));
    QTest::qWait(30);
    EXPECT_EQ(refusing->draws, 1);
    EXPECT_EQ(shown, "JPEG error #1.");
}

TEST_F(Controls, WindowIsFixedWithOnlyACloseBoxInTheClassicLook)
{
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the user cannot resize it";
    for (QWidget* w : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.Button1),
                       static_cast<QWidget*>(form.Edit1)}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_EQ(w->style()->name().toLower(), "windows");
    }
}

TEST_F(Controls, OuterSizeTakesWhatTheWindowSystemCanHold)
{
    const QRect desktop = form.screen()->virtualGeometry();
    struct Case {
        int outer;
        int width;   // expected client width
        int height;  // expected client height
    };
    // Offscreen windows have no frame, so the outer size is the client size.
    const Case cases[] = {
        {670, 670, 670}, {30, 30, 30}, {0, 1, 1}, {-7, 1, 1}, {INT_MIN, 1, 1},
        {INT_MAX, desktop.width(), desktop.height()}, {desktop.width() + 1, desktop.width(), desktop.height()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outer);
        form.SetWidth(c.outer);
        form.SetHeight(c.outer);
        EXPECT_EQ(form.ClientWidth(), c.width);
        EXPECT_EQ(form.ClientHeight(), c.height);
        EXPECT_EQ(form.minimumSize(), form.maximumSize());
        form.Repaint();
    }
    form.SetWidth(300);
    form.SetHeight(200);
    EXPECT_EQ(QSize(form.Width(), form.Height()), QSize(300, 200));
}

class CountingImage : public TImage {
public:
    using TImage::TImage;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        TImage::paintEvent(event);
    }
};

TEST_F(Controls, RepaintPaintsAtOnce)
{
    auto* image = new CountingImage(&form);
    image->SetWidth(20);
    image->SetHeight(20);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QApplication::processEvents();
    const int before = image->paints;
    form.SetWidth(200);
    form.Repaint();
    EXPECT_GT(image->paints, before) << "painted before returning, without the event loop";
}

TEST_F(Controls, FocusStartsOnTheButtonAndTabCycles)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
    QTest::keyClick(form.Button1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    EXPECT_EQ(form.Edit1->selectedText(), "640") << "entering the edit box by keyboard selects its text";
    QTest::keyClick(form.Edit1, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
    QTest::keyClick(form.Button1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    QTest::keyClick(form.Edit1, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
    EXPECT_EQ(form.clicks, 0);
}

TEST_F(Controls, ArrowKeysOnTheButtonMoveToTheEditBox)
{
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}) {
        SCOPED_TRACE(key);
        form.Button1->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(form.Button1, key);
        EXPECT_EQ(QApplication::focusWidget(), form.Edit1);
    }
    EXPECT_EQ(form.clicks, 0);
}

TEST_F(Controls, EnterAndSpacePressTheFocusedButtonOnly)
{
    struct Case {
        const char* label;
        bool onButton;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int clicks;
    };
    const Case cases[] = {
        {"Enter", true, Qt::Key_Return, Qt::NoModifier, 1},
        {"keypad Enter", true, Qt::Key_Enter, Qt::KeypadModifier, 1},
        {"Space", true, Qt::Key_Space, Qt::NoModifier, 1},
        {"Shift+Enter", true, Qt::Key_Return, Qt::ShiftModifier, 0},
        {"Ctrl+Enter", true, Qt::Key_Return, Qt::ControlModifier, 0},
        {"Alt+Enter", true, Qt::Key_Return, Qt::AltModifier, 0},
        {"Enter in the edit box", false, Qt::Key_Return, Qt::NoModifier, 0},
        {"keypad Enter in the edit box", false, Qt::Key_Enter, Qt::KeypadModifier, 0},
        {"Space in the edit box", false, Qt::Key_Space, Qt::NoModifier, 0},
    };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QWidget* target = c.onButton ? static_cast<QWidget*>(form.Button1) : form.Edit1;
        target->setFocus(Qt::OtherFocusReason);
        form.clicks = 0;
        QTest::keyClick(target, c.key, c.modifiers);
        EXPECT_EQ(form.clicks, c.clicks);
    }
}

TEST_F(Controls, EditBoxTakesAnyTextOfAnyLength)
{
    const std::string longText(100000, '7');
    form.Edit1->SetText(longText);
    EXPECT_EQ(form.Edit1->Text(), longText);
    form.Edit1->SetText(" x\t'\"Größe");
    EXPECT_EQ(form.Edit1->Text(), " x\t'\"Größe");
    form.Edit1->setFocus(Qt::OtherFocusReason);
    form.Edit1->end(false);
    QTest::keyClicks(form.Edit1, "12");
    EXPECT_EQ(form.Edit1->Text(), " x\t'\"Größe12");
}

}  // namespace
