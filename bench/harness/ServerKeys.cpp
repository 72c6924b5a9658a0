#include "ServerKeys.h"

#include <QGuiApplication>

#include <iterator>

#if defined(KOLVAR_BENCH_XKEYS)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

namespace kolvar::bench {

#if defined(KOLVAR_BENCH_XKEYS)

namespace {

Display* display()
{
    // Opened once and kept for the process: a command presses a key or two. The keyboard's
    // mapping and the XTEST extension are asked for at once, round trips to the server that the
    // first key would otherwise wait for inside the command's time, as the window's keyboard
    // never does.
    static Display* const opened = [] {
        Display* d = QGuiApplication::platformName() == QLatin1String("xcb") ? XOpenDisplay(nullptr)
                                                                             : nullptr;
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        if (d && !XTestQueryExtension(d, &event, &error, &major, &minor)) {
            XCloseDisplay(d);
            d = nullptr;
        }
        if (d)
            (void)XKeysymToKeycode(d, XStringToKeysym("Return"));
        return d;
    }();
    return opened;
}

void send(const char* name, bool down)
{
    const KeyCode code = XKeysymToKeycode(display(), XStringToKeysym(name));
    XTestFakeKeyEvent(display(), code, down ? True : False, CurrentTime);
}

} // namespace

bool serverKeysUsable()
{
    return display() != nullptr;
}

void pressServerKeys(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        send(name, true);
    for (auto name = std::rbegin(names); name != std::rend(names); ++name)
        send(*name, false);
    XFlush(display());
}

#else

bool serverKeysUsable()
{
    return false;
}

void pressServerKeys(std::initializer_list<const char*>) { }

#endif

} // namespace kolvar::bench
