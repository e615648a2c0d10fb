#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "ModalAnswerer.h"
#include "vcl/Exceptions.h"
#include "vcl/FormReader.h"
#include "vcl/TApplication.h"
#include "vcl/TButton.h"
#include "vcl/TEdit.h"
#include "vcl/TForm.h"

namespace {

struct FullStopCase {
    const char* message;
    const char* shown;
};

const FullStopCase kFullStopCases[] = {
    {"abc", "abc."},     {"x.", "x."},          {"ok!", "ok!"},       {"(a)", "(a)"},
    {"a-", "a-"},        {"a ", "a "},          {"a?", "a?."},        {"a:", "a:."},
    {"7", "7."},         {"a,", "a,"},          {"'q'", "'q'"},       {"\"q\"", "\"q\""},
    {"a/", "a/."},       {"a\t", "a\t"},        {"", ""},             {"Größe ü", "Größe ü."},
    {"Größe", "Größe."}, {"a\xe2\x80\xa6", "a\xe2\x80\xa6."},
};

TEST(ExceptionDisplay, FullStopRule)
{
    for (const FullStopCase& c : kFullStopCases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(TApplication::DisplayText(c.message), c.shown);
    }
}

struct Shown {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool applicationModal = false;
};

// Records the box and presses its OK button with Enter.
ModalAnswerer::Answer RecordAndConfirm(Shown& shown)
{
    return [&shown](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shown.caption = box->windowTitle();
        shown.text = box->text();
        shown.icon = box->icon();
        for (QAbstractButton* button : box->buttons())
            shown.buttons << button->text();
        shown.applicationModal = box->windowModality() == Qt::ApplicationModal;
        ModalAnswerer::PressKey(box, Qt::Key_Return);
    };
}

class ExceptionBox : public ::testing::Test {
protected:
    void SetUp() override { Application->SetTitle("Tolvaner"); }
    void TearDown() override { EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "a window was left open"; }
};

struct Thrown {
    const char* label;
    std::function<void()> raise;
    const char* shown;
};

TEST_F(ExceptionBox, ShowsEachKindOfErrorWithCaptionIconAndOneOkButton)
{
    const Thrown cases[] = {
        {"convert", [] { throw EConvertError("'abc' is not a valid integer value"); },
         "'abc' is not a valid integer value."},
        {"open", [] { throw EFOpenError("/no/such.jpg"); }, "Cannot open file /no/such.jpg."},
        {"jpeg", [] { throw EJPEG(52); }, "JPEG error #52."},
        {"zero divide", [] { throw EZeroDivide(); }, "Floating point division by zero."},
        {"stream", [] { throw EReadError(); }, "Stream read error."},
        {"ends in stop", [] { throw Exception("Done."); }, "Done."},
        {"empty", [] { throw Exception(""); }, ""},
        {"std", [] { throw std::runtime_error("disk on fire"); }, "disk on fire."},
        {"allocation", [] { throw std::bad_alloc(); }, "Out of memory."},
        {"unknown", [] { throw 42; }, "An unknown error has occurred."},
    };
    for (const Thrown& c : cases) {
        SCOPED_TRACE(c.label);
        Shown shown;
        ModalAnswerer answerer;
        answerer.Then(RecordAndConfirm(shown));
        Application->Dispatch(c.raise);
        ASSERT_EQ(answerer.Answered(), 1);
        EXPECT_EQ(shown.caption, "Tolvaner");
        EXPECT_EQ(shown.text.toStdString(), c.shown);
        EXPECT_EQ(shown.icon, QMessageBox::Critical);
        EXPECT_EQ(shown.buttons, QStringList{"OK"});
        EXPECT_TRUE(shown.applicationModal);
    }
}

class EQuietAbort : public EAbort {};

TEST_F(ExceptionBox, AbortAndItsSubclassesAreSilent)
{
    ModalAnswerer answerer;
    answerer.Then([](QWidget* modal) { modal->close(); });
    Application->Dispatch([] { throw EAbort(); });
    Application->Dispatch([] { throw EQuietAbort(); });
    QTest::qWait(50);
    EXPECT_EQ(answerer.Answered(), 0);
    EXPECT_FALSE(answerer.Done());
}

TEST_F(ExceptionBox, HandlerWithoutExceptionShowsNothing)
{
    ModalAnswerer answerer;
    answerer.Then([](QWidget* modal) { modal->close(); });
    int ran = 0;
    Application->Dispatch([&] { ++ran; });
    QTest::qWait(30);
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(answerer.Answered(), 0);
}

TEST_F(ExceptionBox, MouseCaptureIsReleasedFirst)
{
    QWidget window;
    window.show();
    window.grabMouse();
    ASSERT_EQ(QWidget::mouseGrabber(), &window);
    QWidget* grabberWhileShown = &window;
    ModalAnswerer answerer;
    answerer.Then([&](QWidget* modal) {
        grabberWhileShown = QWidget::mouseGrabber();
        ModalAnswerer::PressKey(modal, Qt::Key_Escape);
    });
    Application->Dispatch([] { throw Exception("x"); });
    EXPECT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(grabberWhileShown, nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

class TTwoControlForm : public TForm {
public:
    TButton* Button1 = nullptr;
    TEdit* Edit1 = nullptr;
    int clicks = 0;

    void BindComponent(const std::string& name, TObject* component) override
    {
        if (name == "Button1")
            BindField(Button1, component);
        else if (name == "Edit1")
            BindField(Edit1, component);
    }
    TNotifyEvent FindMethod(const std::string& name) override
    {
        if (name == "Button1Click")
            return [this](TObject*) {
                ++clicks;
                throw EConvertError("'" + Edit1->Text() + "' is not a valid integer value");
            };
        return {};
    }
};

const char* const kTwoControls = R"(object Form: TTwoControlForm
  Caption = 'Test'
  ClientWidth = 200
  ClientHeight = 100
  object Button1: TButton
    Left = 8
    Top = 8
    Width = 80
    Height = 25
    Caption = 'Go'
    TabOrder = 0
    OnClick = Button1Click
  end
  object Edit1: TEdit
    Left = 8
    Top = 40
    Width = 80
    Height = 21
    TabOrder = 1
    Text = 'abc'
  end
end
)";

TEST_F(ExceptionBox, LoopGoesOnAndFocusReturnsToTheWindow)
{
    TTwoControlForm form;
    ReadForm(form, kTwoControls, 96);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    std::vector<Shown> shown(3);
    ModalAnswerer answerer;
    for (Shown& s : shown)
        answerer.Then(RecordAndConfirm(s));

    form.Edit1->setFocus(Qt::OtherFocusReason);
    Application->Dispatch([] { throw Exception("first"); });
    ASSERT_EQ(answerer.Answered(), 1);
    // Activation goes through the window system, so it arrives a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }));
    EXPECT_EQ(QApplication::focusWidget(), form.Edit1);

    form.Button1->setFocus(Qt::TabFocusReason);
    for (const char* text : {"x1", "x2"}) {
        form.Edit1->setText(text);
        QTest::keyClick(form.Button1, Qt::Key_Return);
        QTest::qWait(20);
    }
    ASSERT_EQ(answerer.Answered(), 3);
    EXPECT_EQ(form.clicks, 2);
    EXPECT_EQ(shown[1].text, "'x1' is not a valid integer value.");
    EXPECT_EQ(shown[2].text, "'x2' is not a valid integer value.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &form; }));
    EXPECT_EQ(QApplication::focusWidget(), form.Button1);
}

}  // namespace
