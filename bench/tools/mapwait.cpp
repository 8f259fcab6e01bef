// mapwait: starts a program and prints how long it took until a top-level
// window of that process was viewable, and the process's resident memory
// shortly after. The X server tells us through events; nothing is polled, so
// the figure is not quantized by sleeps.
//
//   mapwait [--settle MS] [--keep] -- program args...
//
// Prints "map_ms=<float> rss_kib=<int> pid=<pid>". Without --keep the
// program is terminated afterwards.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <set>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

long windowPid(Display *display, Window window)
{
    static const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data)
            == Success
        && data && items == 1 && format == 32)
        pid = long(*reinterpret_cast<unsigned long *>(data));
    if (data)
        XFree(data);
    return pid;
}

bool viewable(Display *display, Window window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

long rssKib(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    int settleMs = 500;
    bool keep = false;
    int first = 1;
    for (; first < argc; ++first) {
        if (!std::strcmp(argv[first], "--settle") && first + 1 < argc)
            settleMs = std::atoi(argv[++first]);
        else if (!std::strcmp(argv[first], "--keep"))
            keep = true;
        else if (!std::strcmp(argv[first], "--")) {
            ++first;
            break;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: mapwait [--settle MS] [--keep] -- program args...\n");
        return 2;
    }

    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "mapwait: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(display);
    // New top-level windows (the client's own, and the frames of a
    // reparenting window manager) are announced on the root window.
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[first], argv + first);
        _exit(127);
    }

    std::set<Window> candidates;
    double mapped = -1;
    while (mapped < 0) {
        XEvent event;
        XNextEvent(display, &event);
        Window window = None;
        if (event.type == CreateNotify) {
            window = event.xcreatewindow.window;
            XSelectInput(display, window, StructureNotifyMask | PropertyChangeMask);
            candidates.insert(window);
        } else if (event.type == ReparentNotify) {
            window = event.xreparent.window;
        } else if (event.type == MapNotify) {
            window = event.xmap.window;
        } else if (event.type == PropertyNotify) {
            window = event.xproperty.window;
        } else {
            continue;
        }
        // Any mapped window of ours that has become viewable, including a
        // client whose frame was mapped just now.
        for (Window candidate : candidates) {
            if (windowPid(display, candidate) == pid && viewable(display, candidate)) {
                mapped = nowMs() - start;
                break;
            }
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "mapwait: the program ended before it showed a window\n");
            return 1;
        }
    }

    usleep(useconds_t(settleMs) * 1000);
    std::printf("map_ms=%.2f rss_kib=%ld pid=%d\n", mapped, rssKib(pid), int(pid));
    std::fflush(stdout);
    if (!keep) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    XCloseDisplay(display);
    return 0;
}
