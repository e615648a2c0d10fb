#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <cfenv>

#include "ModalAnswerer.h"
#include "vcl/MessageDialog.h"
#include "vcl/TApplication.h"
#include "vcl/TOpenDialog.h"

namespace {

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override { Application->SetTitle("Tolvaner"); }
    void TearDown() override { EXPECT_EQ(QApplication::topLevelWidgets().count(), 0) << "a window was left open"; }
};

struct Dismissal {
    const char* label;
    std::function<void(QWidget*)> dismiss;
};

TEST_F(Dialogs, MessageIsDismissedByEnterEscAndTheCloseBox)
{
    const Dismissal ways[] = {
        {"Enter", [](QWidget* box) { ModalAnswerer::PressKey(box, Qt::Key_Return); }},
        {"Esc", [](QWidget* box) { ModalAnswerer::PressKey(box, Qt::Key_Escape); }},
        {"close box", [](QWidget* box) { ModalAnswerer::CloseByWindowSystem(box); }},
        {"OK", [](QWidget* box) { static_cast<QMessageBox*>(box)->buttons().first()->click(); }},
    };
    for (const Dismissal& way : ways) {
        SCOPED_TRACE(way.label);
        ModalAnswerer answerer;
        answerer.Then(way.dismiss);
        ShowMessage("The image has been resized.");
        EXPECT_EQ(answerer.Answered(), 1);
    }
}

TEST_F(Dialogs, MessageHasTheTitleNoIconOneOkButtonWrappedTextAndIsCentred)
{
    std::string text;
    for (int i = 0; i < 80; ++i)
        text += "word ";
    QMessageBox* seen = nullptr;
    QString caption, label;
    QStringList buttons;
    bool wraps = false;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QPoint position, expected;
    ModalAnswerer answerer;
    answerer.Then([&](QWidget* modal) {
        seen = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(seen, nullptr);
        caption = seen->windowTitle();
        icon = seen->icon();
        for (QAbstractButton* b : seen->buttons())
            buttons << b->text();
        auto* textLabel = seen->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(textLabel, nullptr);
        label = textLabel->text();
        wraps = textLabel->wordWrap();
        const QRect monitor = QGuiApplication::primaryScreen()->geometry();
        const QSize size = seen->frameGeometry().size();
        expected = QPoint(monitor.left() + (monitor.width() - size.width()) / 2,
                          monitor.top() + (monitor.height() - size.height()) / 2);
        position = seen->frameGeometry().topLeft();
        ModalAnswerer::PressKey(seen, Qt::Key_Return);
    });
    ShowMessage(text);
    ASSERT_EQ(answerer.Answered(), 1);
    EXPECT_EQ(caption, "Tolvaner");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, QStringList{"OK"});
    EXPECT_EQ(label.toStdString(), text);
    EXPECT_TRUE(wraps);
    EXPECT_EQ(position, expected);
}

TEST(OpenDialogPlacement, CentredHorizontallyAThirdOfTheFreeHeightDown)
{
    struct Case {
        QRect monitor;
        QSize dialog;
        QPoint expected;
    };
    const Case cases[] = {
        {{0, 0, 1280, 1024}, {600, 400}, {340, 208}},
        {{0, 0, 1280, 1024}, {601, 401}, {339, 207}},
        {{1920, 0, 1024, 768}, {500, 300}, {2182, 156}},
        {{-1024, 100, 1024, 768}, {400, 500}, {-712, 189}},
        {{0, 0, 800, 600}, {805, 604}, {-2, -1}},  // larger than the monitor: truncation toward zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.monitor.x() << "," << c.dialog.width());
        EXPECT_EQ(TOpenDialog::Placement(c.monitor, c.dialog), c.expected);
    }
}

// Types a name into the dialog's name box and confirms it with Enter; records where the box started.
ModalAnswerer::Answer TypeName(const QString& name, QString* nameBoxAtStart = nullptr, QPoint* misplacement = nullptr)
{
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameBox, nullptr);
        if (nameBoxAtStart)
            *nameBoxAtStart = nameBox->text();
        if (misplacement)
            *misplacement = dialog->frameGeometry().topLeft() -
                            TOpenDialog::Placement(QGuiApplication::primaryScreen()->geometry(),
                                                   dialog->frameGeometry().size());
        nameBox->setText(name);
        QTest::keyClick(nameBox, Qt::Key_Return);
    };
}

TEST_F(Dialogs, OpenDialogReturnsATypedMissingPathAndStartsWithItNextTime)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/photo.jpg"));
    TOpenDialog dialog;
    QString atStart = QStringLiteral("unset");
    QPoint misplacement(-1, -1);
    ModalAnswerer answerer;
    answerer.Then(TypeName(missing, &atStart, &misplacement));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), missing.toStdString());
    EXPECT_EQ(atStart, QString()) << "the first time the name box is empty";
    EXPECT_EQ(misplacement, QPoint(0, 0));

    const QString second = dir.filePath(QStringLiteral("second.jpg"));
    answerer.Then(TypeName(second, &atStart));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(atStart, missing) << "the name box starts with the previous full path";
    EXPECT_EQ(dialog.FileName(), second.toStdString());

    answerer.Then([](QWidget* modal) { ModalAnswerer::PressKey(modal, Qt::Key_Escape); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), second.toStdString()) << "a cancel keeps the earlier choice";

    answerer.Then(TypeName(dir.filePath(QStringLiteral("third.jpg")), &atStart));
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(atStart, second) << "after a cancel the name box starts with the earlier choice";
    EXPECT_TRUE(answerer.Done());
}

TEST_F(Dialogs, OpenDialogIsQtsOwnWithoutFilterForOneFileOfAnyName)
{
    QTemporaryDir dir;
    TOpenDialog dialog;
    bool native = true, anyFile = false, open = false, modal = false;
    QStringList filters{"unset"};
    ModalAnswerer answerer;
    answerer.Then([&](QWidget* widget) {
        auto* d = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(d, nullptr);
        native = !d->testOption(QFileDialog::DontUseNativeDialog);
        anyFile = d->fileMode() == QFileDialog::AnyFile;
        open = d->acceptMode() == QFileDialog::AcceptOpen;
        modal = d->windowModality() == Qt::ApplicationModal;
        filters = d->nameFilters();
        d->setDirectory(dir.path());
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("relative name"));
        QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
    });
    ASSERT_TRUE(dialog.Execute());
    EXPECT_FALSE(native);
    EXPECT_TRUE(anyFile);
    EXPECT_TRUE(open);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(filters.isEmpty() || filters == QStringList{"All Files (*)"}) << filters.join(";").toStdString();
    EXPECT_EQ(dialog.FileName(), QDir(dir.path()).filePath(QStringLiteral("relative name")).toStdString())
        << "a typed name comes back as a full path";
}

TEST_F(Dialogs, OpenDialogKeepsTheFloatingPointMode)
{
    std::fesetround(FE_UPWARD);
    TOpenDialog dialog;
    ModalAnswerer answerer;
    answerer.Then([](QWidget* modal) {
        std::fesetround(FE_DOWNWARD);
        ModalAnswerer::PressKey(modal, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(std::fegetround(), FE_UPWARD);
    std::fesetround(FE_TONEAREST);
}

}  // namespace
