#include <QByteArray>
#include <QGuiApplication>

#include "imaging/JpegSupport.h"
#include "ui/Unit1.h"
#include "vcl/FloatMode.h"
#include "vcl/GuardedApplication.h"
#include "vcl/ScreenDepth.h"
#include "vcl/TApplication.h"

int main(int argc, char** argv)
{
    SetStartupFloatMode();
    // The window is laid out in device pixels and scales itself to the screen's density; Qt's own scaling
    // would scale it a second time.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    GuardedApplication qtApplication(argc, argv);
    ReadScreenColorDepth();
    InitJpegSupport();

    int exitCode = 0;
    try {
        Application->Initialize();
        Application->SetTitle("Tolvaner");
        // The installed desktop entry is named after this id; Wayland compositors find the task-bar name and icon
        // through it.
        QGuiApplication::setDesktopFileName(QStringLiteral(TOLVANER_APP_ID));
        Application->CreateForm(Form1, "TFORM1");
        Application->Run();
    } catch (...) {
        // Nothing can run without the window; say why instead of vanishing.
        Application->HandleException(std::current_exception());
        Application->DestroyForms();
        exitCode = 1;
    }
    DoneJpegSupport();
    return exitCode;
}
