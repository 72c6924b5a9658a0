// window-stand-in: a window whose drawings come at known times after its keys, for kolvar-window
// to be checked against. It maps a main window and draws it at once, then again 100 ms later (a
// start whose last drawing is the one that counts). Shift+F1 draws a corner at once and the whole
// window 80 ms later. Insert waits 30 ms and maps a box; Return then waits 40 ms, unmaps the box
// and redraws. It holds 64 MB written, which its peak must show.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

void draw(Display* display, Window window, int width, int height)
{
    XFillRectangle(display, window, DefaultGC(display, DefaultScreen(display)), 0, 0,
        unsigned(width), unsigned(height));
    XSync(display, False);
}

} // namespace

int main()
{
    std::vector<char> held(64 << 20);
    std::memset(held.data(), 1, held.size());
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    const Window root = DefaultRootWindow(display);
    const Window main = XCreateSimpleWindow(display, root, 100, 100, 600, 400, 0, 0, 0);
    XSelectInput(display, main, ExposureMask | KeyPressMask);
    XMapWindow(display, main);
    Window box = None;
    bool started = false;
    for (;;) {
        XEvent e;
        XNextEvent(display, &e);
        if (e.type == Expose && e.xexpose.window == main && !started) {
            started = true;
            draw(display, main, 600, 400);
            usleep(100000);
            draw(display, main, 600, 400);
        } else if (e.type == Expose && e.xexpose.window == box) {
            draw(display, box, 200, 80);
        } else if (e.type == KeyPress) {
            const KeySym sym = XLookupKeysym(&e.xkey, 0);
            if (sym == XK_F1) {
                draw(display, main, 10, 10);
                usleep(80000);
                draw(display, main, 600, 400);
            } else if (sym == XK_Insert) {
                usleep(30000);
                box = XCreateSimpleWindow(display, root, 300, 250, 200, 80, 0, 0, 0);
                XSelectInput(display, box, ExposureMask);
                XMapWindow(display, box);
                XSync(display, False);
            } else if (sym == XK_Return && box != None) {
                usleep(40000);
                XDestroyWindow(display, box);
                box = None;
                draw(display, main, 600, 400);
            }
        }
    }
}
