// Key to cue: the real game on a private PulseAudio server, on the X server in DISPLAY (with a
// window manager, so the game has the keyboard). Answers are typed through XTest; the sink is
// recorded, and each answer's first cue is found in the recording by its wave form.
// Usage: cue_latency GAME_FOLDER [answers]
//   GAME_FOLDER holds sumsprout with its Set/, Pictures/ and Sound/ (a copy: answers change
//   its coins). Prints each latency in milliseconds, then the median, 95th percentile and most.
#include "support/CueScan.h"
#include "support/PulseServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = PulseServer::kRate;

double secondsOf(Clock::time_point t)
{
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

// parec's output, read as it comes: every read tells when its samples came out of the sound
// server.
class Recorder
{
public:
    explicit Recorder(const QString &server)
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        const QByteArray env = "PULSE_SERVER=" + server.toLocal8Bit();
        std::vector<char *> envp;
        for (char **e = environ; *e; ++e)
            envp.push_back(*e);
        envp.push_back(const_cast<char *>(env.constData()));
        envp.push_back(nullptr);
        const char *args[] = {
            "parec",        "--device=out.monitor", "--raw", "--format=s16le", "--rate=44100",
            "--channels=1", "--latency-msec=2",     nullptr};
        posix_spawnp(&m_pid, "parec", &actions, nullptr, const_cast<char **>(args), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        m_fd = fds[0];
        m_thread = std::thread([this] { run(); });
    }
    ~Recorder() { stop(); }
    void stop()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
            m_pid = 0;
        }
        if (m_thread.joinable()) m_thread.join();
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }
    // Samples so far, and the time of sample 0.
    std::vector<float> samples() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples;
    }
    // When the sample came, or the first after it.
    double arrival(int64_t sample) const
    {
        std::lock_guard lock(m_mutex);
        const auto it = std::lower_bound(
            m_reads.begin(), m_reads.end(), sample,
            [](const std::pair<int64_t, double> &r, int64_t s) { return r.first <= s; });
        return it == m_reads.end() ? 1e300 : it->second;
    }
    // Where the recording stood at that time.
    int64_t sampleAt(double seconds) const
    {
        std::lock_guard lock(m_mutex);
        int64_t at = 0;
        for (const auto &[end, when] : m_reads)
            if (when <= seconds) at = end;
        return at;
    }
    // The loudest of the last ms milliseconds.
    float peakOfLast(int ms) const
    {
        std::lock_guard lock(m_mutex);
        const size_t n = std::min(m_samples.size(), size_t(ms) * kRate / 1000);
        float top = 0;
        for (size_t i = m_samples.size() - n; i < m_samples.size(); ++i)
            top = std::max(top, std::fabs(m_samples[i]));
        return top;
    }
    size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_samples.size();
    }

private:
    void run()
    {
        std::vector<char> buffer(4096);
        size_t odd = 0;
        char carry = 0;
        for (;;) {
            const ssize_t got = read(m_fd, buffer.data(), buffer.size());
            if (got <= 0) return;
            const double now = secondsOf(Clock::now());
            std::lock_guard lock(m_mutex);
            for (ssize_t i = 0; i < got; ++i) {
                if (odd == 0) {
                    carry = buffer[size_t(i)];
                    odd = 1;
                    continue;
                }
                const auto v =
                    int16_t(uint16_t(uint8_t(carry)) | uint16_t(uint8_t(buffer[size_t(i)])) << 8);
                m_samples.push_back(float(v) / 32768.0f);
                odd = 0;
            }
            m_reads.emplace_back(int64_t(m_samples.size()), now);
        }
    }

    pid_t m_pid = 0;
    int m_fd = -1;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<float> m_samples;
    // The samples read so far, and when, after each read.
    std::vector<std::pair<int64_t, double>> m_reads;
};

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
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: cue_latency GAME_FOLDER [answers]\n");
        return 2;
    }
    const QDir game(QString::fromLocal8Bit(argv[1]));
    const int answers = argc > 2 ? std::atoi(argv[2]) : 40;
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cue_latency: no X server in DISPLAY\n");
        return 1;
    }
    PulseServer server;
    if (const QString why = server.start(); !why.isEmpty()) {
        std::fprintf(stderr, "cue_latency: %s\n", qPrintable(why));
        return 1;
    }
    Recorder recorder(server.address());
    QProcess sumsprout;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server.address());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    sumsprout.setProcessEnvironment(env);
    sumsprout.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sumsprout.start(game.filePath(QStringLiteral("sumsprout")), {});
    if (!sumsprout.waitForStarted(5000)) return 1;
    QThread::msleep(4000);

    std::vector<double> keys;
    for (int i = 0; i < answers; ++i) {
        // Typed into silence, a little after the last reaction.
        QThread::msleep(1500);
        for (int wait = 0; wait < 400 && recorder.peakOfLast(400) > 0.001f; ++wait)
            QThread::msleep(10);
        key(display, XK_0);
        QThread::msleep(30);
        key(display, XK_Return);
        keys.push_back(secondsOf(Clock::now()));
    }
    QThread::msleep(1500);
    sumsprout.terminate();
    sumsprout.waitForFinished(5000);
    recorder.stop();
    const std::vector<float> rec = recorder.samples();

    std::fprintf(stderr, "recorded %.1f s, peak %.3f\n", double(rec.size()) / kRate,
                 cuescan::peak(rec));
    if (const QByteArray keep = qgetenv("SUMSPROUT_RECORDING"); !keep.isEmpty()) {
        QFile f(QString::fromLocal8Bit(keep));
        if (f.open(QIODevice::WriteOnly))
            for (float x : rec) {
                const auto v = int16_t(std::lround(std::clamp(x * 32768.0f, -32768.0f, 32767.0f)));
                f.write(reinterpret_cast<const char *>(&v), 2);
            }
    }
    const cuescan::Scanner scan(rec);
    const QString sound = game.filePath(QStringLiteral("Sound/"));
    // A right answer's first cue or a wrong one's, whichever the answer was.
    // Only the beginnings: the next cues of a reaction overlap the rest. Made once, as the
    // scanner knows a cue by where it lies.
    std::vector<std::vector<float>> heads;
    for (const char *name : {"OldSheepYes.wav", "OldSheepNo.wav"}) {
        const std::vector<float> cue = cuescan::loadCue(sound + QLatin1String(name), kRate);
        heads.emplace_back(cue.begin(), cue.begin() + std::min<size_t>(cue.size(), kRate / 5));
    }
    std::vector<double> ms;
    for (double k : keys) {
        // Searched from a little before the recording had reached the key.
        const int64_t at = recorder.sampleAt(k);
        cuescan::Hit best;
        for (const auto &head : heads) {
            const cuescan::Hit h = scan.find(head, at - kRate / 10, at + kRate / 2);
            if (h.score > best.score) best = h;
        }
        if (best.at < 0 || best.score < 0.5) {
            std::fprintf(stderr, "no cue after answer %zu (best %.2f)\n", ms.size(), best.score);
            continue;
        }
        ms.push_back((recorder.arrival(best.at) - k) * 1000.0);
        std::printf("%.1f\n", ms.back());
    }
    if (ms.empty()) return 1;
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) { return sorted[size_t(std::ceil(q * sorted.size())) - 1]; };
    std::printf("answers %zu found %zu median %.1f p95 %.1f max %.1f ms\n", keys.size(), ms.size(),
                at(0.5), at(0.95), sorted.back());
    XCloseDisplay(display);
    return 0;
}
