#include "platform/PulseSound.h"

#include "platform/CueMixer.h"
#include "platform/TextFiles.h"
#include "platform/WaveFile.h"

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>
#include <pthread.h>
#include <sched.h>
#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How long a lost or missing server is left alone before it is asked for again.
constexpr auto kRetryPause = std::chrono::seconds(3);
constexpr int kRate = 44100;
constexpr int kFrameBytes = 4;
// The server keeps 1536 frames (35 ms) queued and asks for more as soon as 256 are played: a
// cue started while another plays is heard about 40 ms later, one started after a quiet spell
// at once. Asked for in pieces of 512, the queue fell to 12 ms before it was topped up, and a
// machine that stalls for 20 ms now and then ran dry.
constexpr uint32_t kQueueFrames = 1536;
constexpr uint32_t kRequestFrames = 256;
// Quiet this long, the stream is left to run dry: the server stops asking for silence, and
// the next cue starts it again from an empty queue.
constexpr auto kRunDryAfter = std::chrono::milliseconds(50);

} // namespace

class PulsePlayer;

// The connection to the server and the one stream every player is mixed into. The client
// library's thread answers the server; everything that touches the mixer or the server,
// from either thread, holds the library's loop lock.
class PulseOutput
{
public:
    PulseOutput() : m_loop(pa_threaded_mainloop_new()), m_mixer(kRate)
    {
        if (m_loop && pa_threaded_mainloop_start(m_loop) < 0) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }
    ~PulseOutput()
    {
        if (!m_loop) return;
        pa_threaded_mainloop_lock(m_loop);
        closeServer();
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }

    class Lock
    {
    public:
        explicit Lock(PulseOutput &output) : m_loop(output.m_loop)
        {
            if (m_loop) pa_threaded_mainloop_lock(m_loop);
        }
        ~Lock()
        {
            if (m_loop) pa_threaded_mainloop_unlock(m_loop);
        }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;

    private:
        pa_threaded_mainloop *m_loop;
    };

    // The rest with the lock held.
    CueMixer &mixer() { return m_mixer; }

    enum class Readiness { Ready, Opening, Unavailable };
    // Whether player can start now. Otherwise the server is being asked for, and the player
    // is started the moment the stream is there (or given up with it); or there is none.
    Readiness prepare(PulsePlayer *player);
    // A voice has started: a stream run dry is fed at once, so the cue leads its queue.
    void started()
    {
        m_lastSound = Clock::now();
        if (m_dry) feed(pa_stream_writable_size(m_stream));
    }
    // Asks for the server in the background unless it is there, being asked for, or was
    // just tried.
    void openSoon()
    {
        if (m_state == State::Closed && retryAllowed(Clock::now())) connect(Clock::now());
    }
    void forget(PulsePlayer *player) { std::erase(m_waiting, player); }

private:
    enum class State { Closed, Opening, Open };

    bool retryAllowed(Clock::time_point now) const
    {
        return m_loop && (!m_lastAttempt || now - *m_lastAttempt >= kRetryPause);
    }
    bool connect(Clock::time_point now);
    void openStream();
    void opened();
    void lost();
    void closeServer();
    void feed(size_t bytes);

    static void contextChanged(pa_context *context, void *self);
    static void streamChanged(pa_stream *stream, void *self);
    static void wanted(pa_stream *, size_t bytes, void *self)
    {
        static_cast<PulseOutput *>(self)->feed(bytes);
    }

    pa_threaded_mainloop *m_loop;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    State m_state = State::Closed;
    std::optional<Clock::time_point> m_lastAttempt;
    Clock::time_point m_lastSound;
    bool m_dry = false;
    CueMixer m_mixer;
    std::vector<int16_t> m_buffer;
    std::vector<PulsePlayer *> m_waiting;
};

// One opened wave file, mixed as one track.
class PulsePlayer : public SoundPlayer
{
public:
    PulsePlayer(std::shared_ptr<PulseOutput> output, WaveData wave)
        : m_output(std::move(output)), m_length(wave.lengthMs()), m_position(m_length),
          m_samples(std::move(wave.samples))
    {
        m_track.samples = m_samples.data();
        m_track.channels = wave.channels;
        m_track.rate = wave.rate;
        m_track.frames = int64_t(m_samples.size()) / wave.channels;
        PulseOutput::Lock lock(*m_output);
        m_output->mixer().add(&m_track);
    }

    ~PulsePlayer() override
    {
        PulseOutput::Lock lock(*m_output);
        m_output->mixer().remove(&m_track);
        m_output->forget(this);
    }

    // With the lock held, once the stream is there: the start that waited for it.
    void begin()
    {
        m_waiting = false;
        m_output->mixer().start(&m_track, m_position * m_track.rate / 1000);
        m_playing = true;
    }

    // With the lock held: there is no server; the sound counts as played out.
    void giveUp()
    {
        m_waiting = false;
        m_position = m_length;
    }

    void stop() override
    {
        PulseOutput::Lock lock(*m_output);
        if (m_waiting) {
            m_output->forget(this);
            m_waiting = false;
            return;
        }
        if (!m_playing) return;
        m_position = positionLocked();
        m_playing = false;
        m_output->mixer().stop(&m_track);
    }

    void seek(int64_t position) override
    {
        stop();
        PulseOutput::Lock lock(*m_output);
        m_position = std::clamp<int64_t>(position, 0, m_length);
    }

    void start() override
    {
        PulseOutput::Lock lock(*m_output);
        if (m_playing || m_waiting || m_position >= m_length) return;
        switch (m_output->prepare(this)) {
        case PulseOutput::Readiness::Ready:
            begin();
            m_output->started();
            break;
        case PulseOutput::Readiness::Opening:
            m_waiting = true;
            break;
        case PulseOutput::Readiness::Unavailable:
            // Without a server the sound counts as played out at once, so all stays idle.
            m_position = m_length;
            break;
        }
    }

    int64_t position() const override
    {
        PulseOutput::Lock lock(*m_output);
        return positionLocked();
    }

    int64_t length() const override { return m_length; }

private:
    int64_t positionLocked() const
    {
        // Waiting for the stream: not begun, and not played out either.
        if (m_waiting || !m_playing) return m_position;
        if (!m_track.playing) {
            // Mixed to the end, or the server has gone: either way nothing sounds any more.
            m_playing = false;
            m_position = m_length;
            return m_length;
        }
        // Still sounding, so never reported as the end.
        return std::min(m_length - 1, CueMixer::frameOf(m_track) * 1000 / m_track.rate);
    }

    std::shared_ptr<PulseOutput> m_output;
    int64_t m_length;
    mutable int64_t m_position;
    std::vector<int16_t> m_samples;
    CueMixer::Track m_track;
    mutable bool m_playing = false;
    bool m_waiting = false;
};

PulseOutput::Readiness PulseOutput::prepare(PulsePlayer *player)
{
    if (m_state == State::Open) return Readiness::Ready;
    if (m_state == State::Closed) {
        const auto now = Clock::now();
        if (!retryAllowed(now) || !connect(now)) return Readiness::Unavailable;
    }
    m_waiting.push_back(player);
    return Readiness::Opening;
}

bool PulseOutput::connect(Clock::time_point now)
{
    closeServer();
    m_lastAttempt = now;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Sumsprout");
    if (!m_context) return false;
    pa_context_set_state_callback(m_context, &PulseOutput::contextChanged, this);
    // Never starts a server of its own: without one the game is silent.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        closeServer();
        return false;
    }
    m_state = State::Opening;
    return true;
}

void PulseOutput::contextChanged(pa_context *context, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        output->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        output->lost();
        break;
    default:
        break;
    }
}

void PulseOutput::openStream()
{
    const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 2};
    m_stream = pa_stream_new(m_context, "Cues", &format, nullptr);
    if (!m_stream) {
        lost();
        return;
    }
    pa_stream_set_state_callback(m_stream, &PulseOutput::streamChanged, this);
    pa_stream_set_write_callback(m_stream, &PulseOutput::wanted, this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = kQueueFrames * kFrameBytes;
    // Playback begins once a full queue is there, also after running dry.
    attr.prebuf = uint32_t(-1);
    attr.minreq = kRequestFrames * kFrameBytes;
    attr.fragsize = uint32_t(-1);
    // Early requests: the server asks as soon as a piece is played, and its own buffer holds
    // about one piece.
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_EARLY_REQUESTS, nullptr,
                                   nullptr) < 0)
        lost();
}

void PulseOutput::streamChanged(pa_stream *stream, void *self)
{
    auto *output = static_cast<PulseOutput *>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        output->opened();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        output->lost();
        break;
    default:
        break;
    }
}

void PulseOutput::opened()
{
    m_state = State::Open;
    // A late feed is heard as a gap: the thread that feeds runs ahead of ordinary work where
    // the system allows it, and as any other where it does not.
    sched_param param{};
    param.sched_priority = 1;
    pthread_setschedparam(pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &param);
    // Opened ahead of any cue, the stream starts dry.
    m_lastSound = m_waiting.empty() ? Clock::time_point() : Clock::now();
    for (PulsePlayer *player : std::exchange(m_waiting, {}))
        player->begin();
    m_dry = true;
    feed(pa_stream_writable_size(m_stream));
}

void PulseOutput::lost()
{
    if (m_state == State::Closed) return;
    m_state = State::Closed;
    m_lastAttempt = Clock::now();
    m_dry = false;
    m_mixer.silence();
    for (PulsePlayer *player : std::exchange(m_waiting, {}))
        player->giveUp();
    // The context and stream are let go at the next try, outside their own callbacks.
}

void PulseOutput::closeServer()
{
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    m_state = State::Closed;
}

void PulseOutput::feed(size_t bytes)
{
    if (m_state != State::Open || bytes == 0 || bytes == size_t(-1)) return;
    const auto now = Clock::now();
    if (m_mixer.sounding()) {
        m_lastSound = now;
    } else if (now - m_lastSound >= kRunDryAfter) {
        // Left unanswered, the request stands: started() answers it.
        m_dry = true;
        return;
    }
    const int frames = int(bytes / kFrameBytes);
    m_buffer.resize(size_t(frames) * 2);
    m_mixer.mix(m_buffer.data(), frames);
    m_dry = false;
    pa_stream_write(m_stream, m_buffer.data(), size_t(frames) * kFrameBytes, nullptr, 0,
                    PA_SEEK_RELATIVE);
}

PulseSoundService::PulseSoundService() = default;
PulseSoundService::~PulseSoundService() = default;

void PulseSoundService::openOutput()
{
    if (const std::shared_ptr<PulseOutput> output = m_output.lock()) {
        PulseOutput::Lock lock(*output);
        output->openSoon();
    }
}

std::unique_ptr<SoundPlayer> PulseSoundService::open(const QString &path, QObject *)
{
    auto wave = parseWave(readFileBytes(path, MediaFileLimit));
    if (!wave || wave->channels < 1 || wave->channels > 2 || wave->rate <= 0 || wave->frames() == 0)
        return nullptr;
    // The server itself is asked for only when a sound first starts.
    std::shared_ptr<PulseOutput> output = m_output.lock();
    if (!output) {
        output = std::make_shared<PulseOutput>();
        m_output = output;
    }
    return std::make_unique<PulsePlayer>(output, std::move(*wave));
}
