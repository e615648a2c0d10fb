#include "CommandFixture.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include "imaging/JpegSupport.h"
#include "imaging/TJPEGImage.h"
#include "ui/Unit1.h"
#include "vcl/TApplication.h"
#include "vcl/TBitmap.h"
#include "vcl/TButton.h"
#include "vcl/TCanvas.h"
#include "vcl/TEdit.h"
#include "vcl/TImage.h"

namespace {

// A modal window the test did not expect is a failure; it is still closed, so that the run goes on and ends.
void Unexpected(QWidget* modal, const char* expected)
{
    ADD_FAILURE() << "expected " << expected << ", got " << modal->metaObject()->className() << " \""
                  << modal->objectName().toStdString() << "\"";
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        ADD_FAILURE() << "it says: " << box->text().toStdString();
    if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
    else
        modal->close();
}

void AnswerBox(QWidget* modal, const char* objectName, std::vector<std::string>& texts,
               std::vector<std::string>& captions)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box || box->objectName() != QLatin1String(objectName))
        return Unexpected(modal, objectName);
    texts.push_back(box->text().toStdString());
    captions.push_back(box->windowTitle().toStdString());
    QTest::keyClick(box, Qt::Key_Return);
}

QLineEdit* NameBox(QFileDialog* dialog)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

}  // namespace

void CommandFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    answers.SetFallback([](QWidget* modal) { Unexpected(modal, "no further window"); });
    InitJpegSupport();
    Application->Initialize();
    Application->SetTitle("Tolvaner");
    Application->CreateForm(Form1, "TFORM1");
    ASSERT_NE(Form1, nullptr);
    Form1->show();
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
}

void CommandFixture::TearDown()
{
    EXPECT_TRUE(answers.Done()) << "a dialog the test expected never appeared";
    Application->DestroyForms();
    DoneJpegSupport();
    EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "a window was left open";
}

std::string CommandFixture::PathInDir(const std::string& name) const
{
    return dir.filePath(QString::fromStdString(name)).toStdString();
}

std::string CommandFixture::Source(const std::string& name, const fixtures::JpegRecipe& recipe)
{
    return SourceBytes(name, fixtures::MakeJpeg(recipe));
}

std::string CommandFixture::SourceBytes(const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    const std::string path = PathInDir(name);
    fixtures::WriteFileBytes(path, bytes);
    return path;
}

void CommandFixture::TypeSize(const std::string& text)
{
    Form1->Edit1->clear();
    // A tab cannot be typed into the box (it moves the focus), but it can be pasted.
    if (text.find('\t') != std::string::npos)
        Form1->Edit1->insert(QString::fromStdString(text));
    else
        QTest::keyClicks(Form1->Edit1, QString::fromStdString(text));
    ASSERT_EQ(Form1->Edit1->Text(), text);
}

void CommandFixture::ClickButton()
{
    QTest::mouseClick(Form1->Button1, Qt::LeftButton);
}


void CommandFixture::ChooseFile(const std::string& path)
{
    answers.Then([this, path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog || !NameBox(dialog))
            return Unexpected(modal, "the open-file dialog");
        ++dialogsOpened;
        QLineEdit* name = NameBox(dialog);
        nameBoxAtOpen.push_back(name->text().toStdString());
        // As a user would: the path into the name box, over whatever it holds, then the Open button. The text
        // is set whole rather than typed key by key, which would let the dialog's completer offer its own names.
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog))
            return Unexpected(modal, "the open-file dialog to become active");
        name->setFocus(Qt::MouseFocusReason);
        EXPECT_TRUE(name->hasFocus());
        name->setText(QString::fromStdString(path));
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (!open)
            return Unexpected(modal, "the open-file dialog with its Open button");
        QTest::mouseClick(open, Qt::LeftButton);
    });
}

void CommandFixture::CancelDialog()
{
    answers.Then([this](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog || !NameBox(dialog))
            return Unexpected(modal, "the open-file dialog");
        ++dialogsOpened;
        nameBoxAtOpen.push_back(NameBox(dialog)->text().toStdString());
        dialog->reject();
    });
}

void CommandFixture::ExpectError()
{
    answers.Then([this](QWidget* modal) { AnswerBox(modal, "ErrorBox", errors, captions); });
}

void CommandFixture::ExpectConfirmation(std::function<void()> whileShown)
{
    answers.Then([this, whileShown](QWidget* modal) {
        if (whileShown)
            whileShown();
        AnswerBox(modal, "MessageDialog", confirmations, captions);
    });
}

const TBitmap* CommandFixture::Preview() const
{
    return dynamic_cast<const TBitmap*>(Form1->Image1->Picture().Graphic());
}

void ReferenceThumbnail(const std::string& path, int width, int height, TBitmap& out)
{
    TJPEGImage jpeg;
    jpeg.LoadFromFile(path);
    out.SetWidth(width);
    out.SetHeight(height);
    out.Canvas().StretchDraw(out.Canvas().ClipRect(), jpeg);
}
