// kolvar-window PROGRAM COMMAND [PHRASE]: the real program on the X display named by DISPLAY,
// timed from outside as a user meets it. Keys go in through XTest, as a keyboard's would; what
// the program draws is seen through XDamage on each of its top-level windows; its peak memory is
// VmHWM of /proc/PID/status. PROGRAM is started with no arguments, so it opens the register its
// kolvar.ini names (the caller puts both in a folder of their own).
//
// COMMAND is load (the start alone), sort2, sort3 or sort4 (Shift+F1/F2/F3), search (Ctrl+F, the
// phrase typed, Enter), save (a case in the middle shown with F2, its sender retyped, Insert), add
// (Ctrl+D with that case shown) or delete (Ctrl+Delete on it). Printed, in seconds and MB:
//   start S seconds C peak P boxes B
// S runs from the exec to the last drawing of the main window before the program rests. C runs
// from the command's key to the last drawing of the main window before the program rests again;
// or, where the command opens a box (the "not found" box of a search, the box of a save, add or
// delete), to the box's first drawing, when the user can read it, and Enter answers it then and
// the wait from that Enter to the last drawing is added: the time a user takes to read is not
// the program's. B counts those boxes.
//
// "Rests": nothing watched is drawn for a quarter of a second and the program's main thread has
// not run meanwhile. The last drawing, not the first, ends a wait, since a window may repaint a
// part (the place a dialog left) before the work whose result the user waits for.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <signal.h>
#include <spawn.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double Quiet = 0.25;
constexpr double Limit = 120.0;

double now()
{
    timespec t {};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Thrown, so that the program started is ended on the way out.
[[noreturn]] void fail(const std::string& why)
{
    throw std::runtime_error(why);
}

// A window the program made may be gone before a request about it arrives: not our fault.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

// The started program as /proc shows it.
class Program
{
public:
    // Started at exec, the monotonic clock's reading, which the program is given as
    // KOLVAR_BENCH_EXEC: kolvar-bench started so times its own start from the same moment, and
    // the two clocks can be set side by side on one process.
    Program(const char* path, double exec)
    {
        setenv("KOLVAR_BENCH_EXEC", std::to_string(exec).c_str(), 1);
        char* argv[] = { const_cast<char*>(path), nullptr };
        if (posix_spawn(&m_pid, path, nullptr, nullptr, argv, environ) != 0)
            fail(std::string("cannot start ") + path + ": " + std::strerror(errno));
    }
    ~Program()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Processor ticks of the main thread, which runs the windows, and whether it runs now.
    [[nodiscard]] std::pair<long, bool> mainThread() const
    {
        std::ifstream in(
            "/proc/" + std::to_string(m_pid) + "/task/" + std::to_string(m_pid) + "/stat");
        std::string line;
        if (!std::getline(in, line))
            fail("the program ended");
        // The name in parentheses may hold spaces; the fields after it do not.
        std::istringstream rest(line.substr(line.rfind(')') + 2));
        std::string state;
        rest >> state;
        std::string skip;
        for (int field = 4; field < 14; ++field)
            rest >> skip;
        long user = 0;
        long system = 0;
        rest >> user >> system;
        return { user + system, state == "R" };
    }

    [[nodiscard]] double peakMegabytes() const
    {
        std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("VmHWM:", 0) == 0)
                return double(std::strtol(line.c_str() + 6, nullptr, 10)) * 1024 / 1e6;
        }
        return 0;
    }

private:
    pid_t m_pid = 0;
};

class Watcher
{
public:
    Watcher()
        : m_display(XOpenDisplay(nullptr))
    {
        if (!m_display)
            fail("no X display (DISPLAY)");
        int event = 0;
        int error = 0;
        int major = 0;
        int minor = 0;
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            fail("the X server has no XTEST");
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error))
            fail("the X server has no DAMAGE");
        XDamageQueryVersion(m_display, &major, &minor);
        XSetErrorHandler(ignoreErrors);
        m_root = DefaultRootWindow(m_display);
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        XDisplayKeycodes(m_display, &m_minKeycode, &m_maxKeycode);
        XSync(m_display, False);
    }
    ~Watcher() { XCloseDisplay(m_display); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    struct Top
    {
        bool mapped = false;
        double mappedAt = 0;
        int width = 0;
        int height = 0;
        // Menus, tool tips and drop-down lists bypass the window manager; a main window or a
        // box never does.
        bool popup = false;
    };

    struct Drawn
    {
        double last = 0; // the last drawing of a watched window
        double box = 0; // the first drawing of a window mapped meanwhile
    };

    // Waits until the program rests; what watched() accepts is seen from since on.
    Drawn settle(const Program& program, double since, const std::function<bool(Window)>& watched)
    {
        Drawn drawn;
        auto [ticks, running] = program.mainThread();
        double lastRun = now();
        for (;;) {
            for (const auto& [window, at] : pump(0.005)) {
                if (at < since || !watched(window))
                    continue;
                drawn.last = at;
                const auto top = m_tops.find(window);
                if (drawn.box == 0 && top != m_tops.end() && top->second.mappedAt >= since)
                    drawn.box = at;
            }
            const auto [t, r] = program.mainThread();
            const double time = now();
            if (t != ticks || r) {
                ticks = t;
                lastRun = time;
            }
            if (time - std::max(drawn.last, since) >= Quiet && time - lastRun >= Quiet)
                return drawn;
            if (time - since > Limit)
                fail("the program did not rest within two minutes");
        }
    }

    // Sends a key with the modifiers held; returns when it went out.
    double key(KeySym sym, std::vector<KeySym> modifiers = {})
    {
        KeyCode code = XKeysymToKeycode(m_display, sym);
        bool shift = false;
        if (code == 0 || XkbKeycodeToKeysym(m_display, code, 0, 0) != sym) {
            if (code != 0 && XkbKeycodeToKeysym(m_display, code, 0, 1) == sym)
                shift = true;
            else
                code = spareKeycode(sym);
        }
        if (shift)
            modifiers.push_back(XK_Shift_L);
        for (KeySym m : modifiers)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, m), True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        const double sent = now();
        XFlush(m_display);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
            XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, *m), False, CurrentTime);
        XFlush(m_display);
        if (m_verbose)
            std::fprintf(stderr, "%.4f key %s\n", sent, XKeysymToString(sym));
        return sent;
    }

    void type(const std::u32string& text)
    {
        for (char32_t c : text) {
            key(c < 0x100 ? KeySym(c) : KeySym(0x1000000 | c));
            usleep(5000); // read as typed, before the spare key changes again
        }
        if (m_spare == 0)
            return;
        // The layout as it was; and a key on its own, for the program rebuilds its keymap at
        // the first key after a change, which would be timed with the command's key otherwise.
        KeySym none[] = { NoSymbol, NoSymbol };
        XChangeKeyboardMapping(m_display, m_spare, 2, none, 1);
        key(XK_Shift_L);
    }

    void click(int x, int y, unsigned button)
    {
        XTestFakeMotionEvent(m_display, -1, x, y, CurrentTime);
        XTestFakeButtonEvent(m_display, button, True, CurrentTime);
        XTestFakeButtonEvent(m_display, button, False, CurrentTime);
        XFlush(m_display);
    }

    void focus(Window window)
    {
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        XFlush(m_display);
    }

    // Where a window lies on the screen.
    [[nodiscard]] XWindowAttributes place(Window window)
    {
        XWindowAttributes a {};
        XGetWindowAttributes(m_display, window, &a);
        return a;
    }

    [[nodiscard]] const std::map<Window, Top>& tops() const { return m_tops; }

    // The program's main window: its first window mapped that is no pop-up, however small.
    [[nodiscard]] Window mainWindow(double since) const
    {
        Window first = None;
        double firstAt = 0;
        for (const auto& [window, top] : m_tops) {
            if (top.mapped && top.mappedAt >= since && !top.popup
                && (first == None || top.mappedAt < firstAt)) {
                first = window;
                firstAt = top.mappedAt;
            }
        }
        return first;
    }

private:
    // Reads what the server sent within timeout seconds: the drawings, by window and time.
    std::vector<std::pair<Window, double>> pump(double timeout)
    {
        std::vector<std::pair<Window, double>> drawn;
        const int fd = ConnectionNumber(m_display);
        if (!XPending(m_display)) {
            fd_set fds;
            FD_ZERO(&fds);
            FD_SET(fd, &fds);
            timeval tv { 0, long(timeout * 1e6) };
            select(fd + 1, &fds, nullptr, nullptr, &tv);
        }
        while (XPending(m_display)) {
            XEvent e;
            XNextEvent(m_display, &e);
            const double at = now();
            if (e.type == m_damageEvent + XDamageNotify) {
                const auto& d = reinterpret_cast<XDamageNotifyEvent&>(e);
                drawn.emplace_back(d.drawable, at);
                if (m_verbose)
                    std::fprintf(stderr, "%.4f drawn 0x%lx %dx%d+%d+%d\n", at, d.drawable,
                        d.area.width, d.area.height, d.area.x, d.area.y);
            } else if (e.type == CreateNotify && e.xcreatewindow.parent == m_root) {
                // Watched from its making: its first frame comes only after it is mapped.
                XDamageCreate(m_display, e.xcreatewindow.window, XDamageReportRawRectangles);
                Top& top = m_tops[e.xcreatewindow.window];
                top.width = e.xcreatewindow.width;
                top.height = e.xcreatewindow.height;
                top.popup = e.xcreatewindow.override_redirect;
                XFlush(m_display);
            } else if (e.type == ConfigureNotify && m_tops.count(e.xconfigure.window)) {
                Top& top = m_tops[e.xconfigure.window];
                top.width = e.xconfigure.width;
                top.height = e.xconfigure.height;
            } else if (e.type == MapNotify && m_tops.count(e.xmap.window)) {
                Top& top = m_tops[e.xmap.window];
                top.mapped = true;
                top.mappedAt = at;
                // A desktop's window manager gives a new main window the keyboard as it maps it;
                // with none, the program makes itself active only about half a second later and
                // repaints its list then, a drawing no user of a desktop waits for.
                if (!m_focusGiven && !top.popup) {
                    m_focusGiven = true;
                    focus(e.xmap.window);
                }
                if (m_verbose)
                    std::fprintf(stderr, "%.4f mapped 0x%lx\n", at, e.xmap.window);
            } else if (e.type == UnmapNotify && m_tops.count(e.xunmap.window)) {
                m_tops[e.xunmap.window].mapped = false;
            } else if (e.type == DestroyNotify) {
                m_tops.erase(e.xdestroywindow.window);
            }
        }
        return drawn;
    }

    // A keycode with nothing on it, given sym for the one key about to be sent: how a keyboard
    // layout of another country would type a letter the present layout lacks.
    KeyCode spareKeycode(KeySym sym)
    {
        if (m_spare == 0) {
            int perCode = 0;
            KeySym* map = XGetKeyboardMapping(
                m_display, KeyCode(m_minKeycode), m_maxKeycode - m_minKeycode + 1, &perCode);
            for (int code = m_maxKeycode; code >= m_minKeycode && m_spare == 0; --code) {
                bool empty = true;
                for (int i = 0; i < perCode; ++i)
                    empty = empty && map[(code - m_minKeycode) * perCode + i] == NoSymbol;
                if (empty)
                    m_spare = KeyCode(code);
            }
            XFree(map);
            if (m_spare == 0)
                fail("no free keycode to type with");
        }
        KeySym both[] = { sym, sym };
        XChangeKeyboardMapping(m_display, m_spare, 2, both, 1);
        XSync(m_display, False);
        // The program takes up a new layout some time after it is told; a key sent at once may
        // still meet the old one, and come out as nothing.
        usleep(50000);
        return m_spare;
    }

    Display* m_display;
    Window m_root = None;
    int m_damageEvent = 0;
    int m_minKeycode = 0;
    int m_maxKeycode = 0;
    KeyCode m_spare = 0;
    bool m_focusGiven = false;
    // KOLVAR_WINDOW_VERBOSE: every key, map and drawing on stderr, to see where a wait goes.
    bool m_verbose = std::getenv("KOLVAR_WINDOW_VERBOSE") != nullptr;
    std::map<Window, Top> m_tops;
};

std::u32string fromUtf8(const std::string& text)
{
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const int length = b < 0x80 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
        char32_t c = length == 1 ? b : b & (0x7f >> length);
        for (int k = 1; k < length && i + std::size_t(k) < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + std::size_t(k)]) & 0x3f);
        out.push_back(c);
        i += std::size_t(length);
    }
    return out;
}

int run(const char* path, const std::string& command, const std::string& phrase);

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> commands { "load", "sort2", "sort3", "sort4", "search", "save",
        "add", "delete" };
    const std::string command = argc >= 3 ? argv[2] : "";
    if (argc < 3 || argc > 4
        || std::find(commands.begin(), commands.end(), command) == commands.end()) {
        std::fprintf(stderr,
            "usage: kolvar-window PROGRAM load|sort2|sort3|sort4|search|save|add|delete "
            "[PHRASE]\n");
        return 2;
    }
    try {
        return run(argv[1], command, argc == 4 ? argv[3] : "żółw xyzzy");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kolvar-window: %s\n", e.what());
        return 1;
    }
}

namespace {

int run(const char* path, const std::string& command, const std::string& phrase)
{
    Watcher screen;
    const double exec = now();
    Program program(path, exec);
    const auto any = [](Window) { return true; };
    const double started = screen.settle(program, exec, any).last;
    const Window main = screen.mainWindow(exec);
    if (main == None || started == 0)
        fail("the main window was never drawn");
    const auto opened = [&](double since) {
        return [&screen, main, since](Window w) {
            const auto top = screen.tops().find(w);
            return w == main || (top != screen.tops().end() && top->second.mappedAt >= since);
        };
    };
    // The key, then the wait for what the user looks at: a box the command opens, as soon as it
    // is drawn, which Enter then answers, and the wait after that Enter added (the time a user
    // takes to read is not the program's); else the program's last drawing before it rests.
    int boxes = 0;
    const auto timed = [&](KeySym sym, std::vector<KeySym> modifiers = {}) {
        const double sent = screen.key(sym, std::move(modifiers));
        const Watcher::Drawn drawn = screen.settle(program, sent, opened(sent));
        if (drawn.last == 0)
            fail("nothing was drawn after " + command + "'s key");
        if (drawn.box == 0)
            return drawn.last - sent;
        ++boxes;
        const double enter = screen.key(XK_Return);
        const Watcher::Drawn after = screen.settle(program, enter, opened(enter));
        return drawn.box - sent + std::max(after.last - enter, 0.0);
    };
    double seconds = 0;
    if (command.rfind("sort", 0) == 0) {
        seconds = timed(XK_F1 + KeySym(command.back() - '2'), { XK_Shift_L });
    } else if (command == "search") {
        screen.key(XK_f, { XK_Control_L });
        screen.settle(program, now(), opened(now()));
        screen.type(fromUtf8(phrase));
        screen.settle(program, now(), [](Window) { return false; });
        seconds = timed(XK_Return);
    } else if (command != "load") {
        // A case in the middle of the list: the middle button on the middle of the scroll bar,
        // which runs from under the menu and the panel (54 pixels) to the window's bottom, moves
        // there, then a click on the first row shown makes it current.
        const XWindowAttributes at = screen.place(main);
        screen.click(at.x + at.width - 8, at.y + (54 + at.height) / 2, Button2);
        screen.settle(program, now(), opened(now()));
        screen.click(at.x + 200, at.y + 120, Button1);
        screen.settle(program, now(), opened(now()));
        screen.key(XK_F2);
        screen.settle(program, now(), opened(now()));
        if (command == "save") {
            // The editor opens on the date; the sender is the next field.
            screen.key(XK_Tab);
            screen.key(XK_a, { XK_Control_L });
            screen.type(fromUtf8("Ćwik Łucja"));
            screen.settle(program, now(), [](Window) { return false; });
        }
        screen.focus(main);
        screen.settle(program, now(), [](Window) { return false; });
        if (command == "save")
            seconds = timed(XK_Insert);
        else if (command == "add")
            seconds = timed(XK_d, { XK_Control_L });
        else
            seconds = timed(XK_Delete, { XK_Control_L });
        if (boxes == 0)
            fail(command + " showed no box");
    }
    std::printf("start %.4f seconds %.4f peak %.1f boxes %d\n", started - exec, seconds,
        program.peakMegabytes(), boxes);
    return 0;
}

} // namespace
