#include "bench/StartupTimer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "bench/ChildProcess.h"
#include "imaging/TJPEGImage.h"
#include "vcl/TBitmap.h"

// Xlib's macros (Status, Bool, None...) clash with Qt's headers, so it comes after them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using Clock = std::chrono::steady_clock;

// Where the form puts its splash picture, in client coordinates, and the window's caption.
constexpr int kSplashLeft = 8;
constexpr int kSplashTop = 72;
constexpr const char* kCaption = "Tolvane";
constexpr double kLaunchTimeout = 30;

// A window that goes away between our query and our read only makes the read fail; Xlib's default handler
// would end the benchmark for it.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

pid_t Spawn(std::vector<std::string> command, const std::vector<std::string>& environment)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> variables = ChildEnvironment(environment);
    std::vector<char*> argv, envp;
    for (std::string& s : command)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    for (std::string& s : variables)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int result = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

// Waits up to seconds for the child to end; ends it by force after that.
void Reap(pid_t pid, double seconds)
{
    const Clock::time_point until =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (Clock::now() < until) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

class PrivateServer {
public:
    PrivateServer()
    {
        const std::string xvfb = FindOnPath("Xvfb");
        if (xvfb.empty())
            return;
        int ready[2];
        if (pipe(ready) != 0)
            return;
        fcntl(ready[0], F_SETFD, FD_CLOEXEC);
        // -displayfd makes the server pick a free display and write its number once it takes connections.
        pid_ = Spawn({xvfb, "-displayfd", std::to_string(ready[1]), "-screen", "0", "1280x1024x24", "-nolisten",
                      "tcp", "-noreset"},
                     {});
        close(ready[1]);
        std::string digits;
        char c;
        while (pid_ > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
            digits += c;
        close(ready[0]);
        if (digits.empty())
            return;
        name_ = ":" + digits;
        display_ = XOpenDisplay(name_.c_str());
    }
    ~PrivateServer()
    {
        if (display_)
            XCloseDisplay(display_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            Reap(pid_, 10);
        }
    }
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    Display* Get() const { return display_; }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    Display* display_ = nullptr;
};

Window FindWindow(Display* display)
{
    Window root, parent, found = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name && std::strcmp(name, kCaption) == 0 &&
            XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return found;
}

bool ShowsSplash(Display* display, Window window, const TBitmap& splash)
{
    XImage* shot = XGetImage(display, window, kSplashLeft, kSplashTop, unsigned(splash.Width()),
                             unsigned(splash.Height()), AllPlanes, ZPixmap);
    if (!shot)
        return false;
    bool same = true;
    for (int y = 0; y < splash.Height() && same; ++y)
        for (int x = 0; x < splash.Width() && same; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            const QRgb shown = qRgb(int((pixel & shot->red_mask) >> 16), int((pixel & shot->green_mask) >> 8),
                                    int(pixel & shot->blue_mask));
            same = (shown & 0xffffffu) == (splash.Pixel(x, y) & 0xffffffu);
        }
    XDestroyImage(shot);
    return same;
}

void SendDeleteWindow(Display* display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

struct LaunchTimes {
    double mapped = -1;  // seconds from the launch to the window mapped
    double splash = -1;  // to the splash picture on screen; negative when it never came
};

LaunchTimes TimeOneLaunch(const PrivateServer& server, const std::string& program, const TBitmap& splash)
{
    Display* display = server.Get();
    LaunchTimes times;
    const Clock::time_point start = Clock::now();
    const pid_t pid = Spawn({program}, {"DISPLAY=" + server.Name(), "QT_QPA_PLATFORM=xcb"});
    if (pid < 0)
        return times;
    Window window = 0;
    while (std::chrono::duration<double>(Clock::now() - start).count() < kLaunchTimeout) {
        if (!window) {
            window = FindWindow(display);
            if (window)
                times.mapped = std::chrono::duration<double>(Clock::now() - start).count();
        }
        if (window && ShowsSplash(display, window, splash)) {
            times.splash = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return times;
        // Short enough to see the paint within a few milliseconds, long enough to leave the server to the
        // program.
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (window)
        SendDeleteWindow(display, window);
    Reap(pid, 10);
    return times;
}

}  // namespace

StartupTiming MeasureStartup(const std::string& program, const std::string& splashJpeg, int launches)
{
    StartupTiming timing;
    if (access(program.c_str(), X_OK) != 0) {
        timing.note = "not measured: no program at " + program;
        return timing;
    }
    TJPEGImage picture;
    picture.LoadFromFile(splashJpeg);
    picture.DIBNeeded();
    const TBitmap& splash = *picture.Bitmap();

    const PrivateServer server;
    if (!server.Get()) {
        timing.note = "not measured: Xvfb could not be started (is the xvfb package installed?)";
        return timing;
    }
    XSetErrorHandler(IgnoreXError);
    for (int launch = 0; launch <= launches; ++launch) {
        const LaunchTimes times = TimeOneLaunch(server, program, splash);
        if (times.splash < 0) {
            timing.seconds.clear();
            timing.mapped.clear();
            timing.note = "not measured: the window never showed its splash picture";
            return timing;
        }
        // The first launch brings the program's libraries into the page cache; a user's launches find them
        // there too.
        if (launch > 0) {
            timing.seconds.push_back(times.splash);
            timing.mapped.push_back(times.mapped);
        }
    }
    timing.measured = true;
    timing.note = "Xvfb 1280 x 1024 x 24, no window manager; launch to the splash picture on screen";
    return timing;
}
