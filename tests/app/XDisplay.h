#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// A private X server (Xvfb) for one test and a client connection to it.
class XDisplay {
public:
    // Starts Xvfb on a display number of its own choosing with one 1280 x 1024 x 24 screen.
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    bool Running() const { return display_ != nullptr; }
    QString Name() const { return name_; }

    // The mapped top-level window with this name, waiting up to timeoutMs for it; 0 when none came.
    unsigned long WaitForWindow(const char* title, int timeoutMs);

    // The window's place on the root window and its size.
    QRect Geometry(unsigned long window);
    // The environment of a program that is to show its windows on this server: the test's own, with DISPLAY
    // pointing here and Qt asked for its X11 platform.
    QProcessEnvironment ClientEnvironment() const;

    // Starts program on this server with ClientEnvironment, its output going to the test's; false when it
    // could not be started.
    bool Launch(QProcess& process, const QString& program);

    // The window's contents as the screen shows them.
    QImage Grab(unsigned long window);
    // Grabs the window until ready accepts what it shows (the first paint may still be on its way) or timeoutMs
    // has passed; returns the last grab either way.
    QImage GrabWhen(unsigned long window, const std::function<bool(const QImage&)>& ready, int timeoutMs);
    // WM_CLASS: instance and class.
    QStringList WindowClass(unsigned long window);
    // The sizes of the icons in _NET_WM_ICON.
    std::vector<QSize> IconSizes(unsigned long window);

    // What a window manager sends when the user clicks the close box.
    void SendDeleteWindow(unsigned long window);

private:
    void* display_ = nullptr;  // Display*, kept out of this header so that Xlib's macros stay in one file
    int serverPid_ = -1;
    QString name_;
};
