#include "vcl/TApplication.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QWidget>
#include <new>

#include "vcl/DensityScaling.h"
#include "vcl/ErrorBox.h"
#include "vcl/Exceptions.h"
#include "vcl/FormReader.h"
#include "vcl/TForm.h"

namespace {
TApplication theApplication;
}

TApplication* const Application = &theApplication;

TApplication::TApplication() = default;

TApplication::~TApplication()
{
    // Widgets cannot outlive the Qt application; a process that ends without DestroyForms leaves them to exit.
    if (!QCoreApplication::instance()) {
        for (OwnedForm& owned : forms_)
            (void)owned.form.release();
        forms_.clear();
    }
    DestroyForms();
}

void TApplication::Initialize()
{
    QApplication::setQuitOnLastWindowClosed(false);
    if (QFile::exists(QStringLiteral(":/MAINICON")))
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/MAINICON")));
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    // X11 names the task-bar entry after the application (WM_CLASS), not after the caption.
    QCoreApplication::setApplicationName(QString::fromStdString(title));
}

QByteArray TApplication::LoadDescription(const char* descriptionName)
{
    QFile file(QStringLiteral(":/") + QString::fromLatin1(descriptionName));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(std::string("Resource ") + descriptionName + " not found");
    return file.readAll();
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form, std::function<void()> clearReference,
                             const QByteArray& description)
{
    try {
        ReadForm(*form, description.toStdString(), ScreenPixelsPerInch());
    } catch (...) {
        clearReference();
        throw;
    }
    if (!mainForm_)
        mainForm_ = form.get();
    forms_.push_back({std::move(form), std::move(clearReference)});
}

void TApplication::Run()
{
    if (mainForm_) {
        mainForm_->show();
        mainForm_->activateWindow();
        QApplication::exec();
    }
    DestroyForms();
}

void TApplication::Terminate()
{
    QCoreApplication::exit(0);
}

void TApplication::DestroyForms()
{
    mainForm_ = nullptr;
    while (!forms_.empty()) {
        OwnedForm last = std::move(forms_.back());
        forms_.pop_back();
        last.clearReference();
        last.form.reset();
    }
}

void TApplication::Dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TApplication::HandleException(std::exception_ptr error)
{
    // A control that holds the mouse would keep it through the modal box and swallow the next click.
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::bad_alloc&) {
        message = EOutOfMemory().Message();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "An unknown error has occurred";
    }
    ShowErrorBox(DisplayText(message));
}

std::string TApplication::DisplayText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}
