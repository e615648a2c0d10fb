#include "XDisplay.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

Display* Dpy(void* display)
{
    return static_cast<Display*>(display);
}

// Reads the display number that Xvfb writes once it is ready to take connections.
int ReadDisplayNumber(int fd)
{
    std::string digits;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n')
        digits += c;
    return digits.empty() ? -1 : std::atoi(digits.c_str());
}

}  // namespace

XDisplay::XDisplay()
{
    int ready[2];
    if (pipe(ready) != 0)
        return;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    if (pid < 0) {
        close(ready[0]);
        return;
    }
    serverPid_ = pid;
    const int number = ReadDisplayNumber(ready[0]);
    close(ready[0]);
    if (number < 0)
        return;
    name_ = QStringLiteral(":%1").arg(number);
    display_ = XOpenDisplay(name_.toLatin1().constData());
}

XDisplay::~XDisplay()
{
    if (display_)
        XCloseDisplay(Dpy(display_));
    if (serverPid_ > 0) {
        kill(serverPid_, SIGTERM);
        waitpid(serverPid_, nullptr, 0);
    }
}

unsigned long XDisplay::WaitForWindow(const char* title, int timeoutMs)
{
    Display* d = Dpy(display_);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        Window root, parent;
        Window* children = nullptr;
        unsigned count = 0;
        Window found = 0;
        if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes;
                if (XFetchName(d, children[i], &name) && name && std::string(name) == title &&
                    XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable)
                    found = children[i];
                if (name)
                    XFree(name);
            }
            if (children)
                XFree(children);
        }
        if (found)
            return found;
        QThread::msleep(50);
    }
    return 0;
}

QProcessEnvironment XDisplay::ClientEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), name_);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return environment;
}

bool XDisplay::Launch(QProcess& process, const QString& program)
{
    process.setProcessEnvironment(ClientEnvironment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, {});
    return process.waitForStarted(10000);
}

QImage XDisplay::GrabWhen(unsigned long window, const std::function<bool(const QImage&)>& ready, int timeoutMs)
{
    QImage image;
    QElapsedTimer clock;
    clock.start();
    do {
        QThread::msleep(100);
        image = Grab(window);
    } while ((image.isNull() || !ready(image)) && clock.elapsed() < timeoutMs);
    return image;
}

QRect XDisplay::Geometry(unsigned long window)
{
    Display* d = Dpy(display_);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

QImage XDisplay::Grab(unsigned long window)
{
    Display* d = Dpy(display_);
    const QRect area = Geometry(window);
    XImage* shot = XGetImage(d, window, 0, 0, unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    if (!shot)
        return {};
    QImage image(area.width(), area.height(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            image.setPixel(x, y, qRgb(int((pixel & shot->red_mask) >> 16), int((pixel & shot->green_mask) >> 8),
                                      int(pixel & shot->blue_mask)));
        }
    XDestroyImage(shot);
    return image;
}

QStringList XDisplay::WindowClass(unsigned long window)
{
    XClassHint hint{};
    if (!XGetClassHint(Dpy(display_), window, &hint))
        return {};
    const QStringList result{QString::fromLatin1(hint.res_name), QString::fromLatin1(hint.res_class)};
    XFree(hint.res_name);
    XFree(hint.res_class);
    return result;
}

std::vector<QSize> XDisplay::IconSizes(unsigned long window)
{
    Display* d = Dpy(display_);
    const Atom icon = XInternAtom(d, "_NET_WM_ICON", False);
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<QSize> sizes;
    if (XGetWindowProperty(d, window, icon, 0, 1 << 20, False, XA_CARDINAL, &type, &format, &count, &after, &data) !=
            Success ||
        !data)
        return sizes;
    // 32-bit properties come back as longs: width, height, then width * height pixels, repeated.
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i + 2 <= count;) {
        const unsigned long w = values[i], h = values[i + 1];
        sizes.emplace_back(int(w), int(h));
        i += 2 + w * h;
    }
    XFree(data);
    return sizes;
}

void XDisplay::SendDeleteWindow(unsigned long window)
{
    Display* d = Dpy(display_);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}
