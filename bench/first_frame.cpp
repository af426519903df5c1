// Start to first full frame of the real game, and its peak memory: the game is started on the
// X server in DISPLAY (with a window manager), a few lines of the screen are read every few
// milliseconds, and the frame counts as full once nearly every pixel of those lines that
// shows something at the end (and holds still there) is within a little of its final colour,
// so that a first frame smoothed from the small pictures counts as the frame it is.
// Usage: first_frame GAME_FOLDER [runs] [answers]
//   GAME_FOLDER holds sumsprout with its Set/, Pictures/ and Sound/ (a copy: answers change
//   its coins). Each run waits 4 s, types answers (0 and Enter, 1.3 s apart) through XTest,
//   then reads the game's VmHWM. Prints per run: milliseconds to the full frame, VmHWM in MB.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

struct Sample
{
    double ms;
    std::vector<unsigned long> pixels; // the lines, one after the other
};

std::vector<unsigned long> readLines(Display *d, const std::vector<int> &rows, int width)
{
    std::vector<unsigned long> out;
    out.reserve(rows.size() * size_t(width));
    const Window root = DefaultRootWindow(d);
    for (int y : rows) {
        XImage *img = XGetImage(d, root, 0, y, unsigned(width), 1, AllPlanes, ZPixmap);
        for (int x = 0; x < width; ++x)
            out.push_back(img ? XGetPixel(img, x, 0) & 0xFFFFFF : 0);
        if (img) XDestroyImage(img);
    }
    return out;
}

int channelDistance(unsigned long a, unsigned long b)
{
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

double vmHwmMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

void key(Display *d, KeySym sym)
{
    const KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    XFlush(d);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: first_frame GAME_FOLDER [runs] [answers]\n");
        return 2;
    }
    const std::string game = std::string(argv[1]) + "/sumsprout";
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const int answers = argc > 3 ? std::atoi(argv[3]) : 0;
    Display *d = XOpenDisplay(nullptr);
    if (!d) {
        std::fprintf(stderr, "first_frame: no X server in DISPLAY\n");
        return 1;
    }
    const int width = DisplayWidth(d, DefaultScreen(d));
    const int height = DisplayHeight(d, DefaultScreen(d));
    // Across the sky and the hills, the blackboard and the characters, the number pad.
    const std::vector<int> rows{height * 2 / 10, height * 5 / 10, height * 8 / 10,
                                height * 19 / 20};
    for (int run = 0; run < runs; ++run) {
        std::vector<Sample> samples;
        const auto start = Clock::now();
        pid_t pid = 0;
        char *args[] = {const_cast<char *>(game.c_str()), nullptr};
        if (posix_spawn(&pid, game.c_str(), nullptr, nullptr, args, environ) != 0) return 1;
        // Reading a line costs the X server time too: every 4 ms is enough.
        while (Clock::now() - start < std::chrono::milliseconds(2500)) {
            const double ms =
                std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            samples.push_back({ms, readLines(d, rows, width)});
            std::this_thread::sleep_for(std::chrono::milliseconds(4));
        }
        // The end: what holds still over its last second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        const std::vector<unsigned long> end = readLines(d, rows, width);
        const std::vector<unsigned long> &before = samples.back().pixels;
        std::vector<size_t> shown;
        for (size_t i = 0; i < end.size(); ++i)
            if (end[i] != 0 && channelDistance(end[i], before[i]) <= 8) shown.push_back(i);
        double full = -1;
        for (const Sample &s : samples) {
            size_t near = 0;
            for (size_t i : shown)
                near += channelDistance(s.pixels[i], end[i]) <= 48;
            if (!shown.empty() && near >= shown.size() * 97 / 100) {
                full = s.ms;
                break;
            }
        }
        for (int a = 0; a < answers; ++a) {
            key(d, XK_0);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            key(d, XK_Return);
            std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        }
        const double hwm = vmHwmMb(pid);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        std::printf("%.0f %.1f\n", full, hwm);
        std::fflush(stdout);
        // The game's window gone before the next start.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    XCloseDisplay(d);
    return 0;
}
