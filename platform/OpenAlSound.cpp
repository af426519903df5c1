#include "platform/OpenAlSound.h"

#include "platform/TextFiles.h"
#include "platform/WaveFile.h"

#include <QFile>
#include <QTemporaryFile>
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How long a lost or missing device is left alone before it is asked for again.
constexpr auto kRetryPause = std::chrono::seconds(3);
// Silent this long, the output pauses: OpenAL's mixer and the sound server's stream sleep, rather
// than wake every period for nothing (a game at rest plays its think cue every five seconds).
// Longer than the queue at the server, as a pause lets go of what is queued there.
constexpr auto kPauseAfter = std::chrono::milliseconds(250);
// OpenAL mixes in periods of this many frames and keeps three queued at the sound server: a
// cue started while the output runs is heard about 35 ms later rather than 70 ms with its own
// 1024 (one started after a pause comes first in the new stream, within a few milliseconds).
// Half that (256) was heard sooner still, but a machine that stalls for 20 ms now and then (a
// virtual one) then ran dry and clicked. Only its configuration file sets them; ours is read
// after the system's and the user's.
const char kConfig[] = "[general]\nperiod_size = 512\nperiods = 3\n";

} // namespace

class OpenAlPlayer;

// The one output device with its context, shared by every player. A thread of its own opens
// it when a sound first starts (so the game's start never waits for the sound server), opens
// it again when a start finds it lost, and pauses it while nothing plays. Everything that
// touches OpenAL, from either thread, holds the output's lock.
class OpenAlOutput
{
public:
    OpenAlOutput() : m_keeper([this] { keep(); }) {}
    ~OpenAlOutput()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        m_keeper.join();
        closeDevice();
    }

    std::mutex &mutex() { return m_mutex; }

    enum class Readiness { Ready, Opening, Unavailable };
    // With the lock held: whether player can start now. Otherwise the output is being opened,
    // and the player is started the moment it is (or given up with it); or there is none.
    Readiness prepare(OpenAlPlayer *player);
    // With the lock held, after a start: a paused output runs again. Resumed only once the
    // source plays, its first period holds the cue rather than a queue of silence before it.
    void wake()
    {
        if (m_state != State::Open || !m_paused) return;
        if (m_resume) m_resume(m_device);
        m_paused = false;
    }
    // Opens the device in the background unless it is open, opening, or was just tried.
    void openSoon();
    // With the lock held: something plays until then.
    void playsUntil(Clock::time_point until)
    {
        m_busyUntil = std::max(m_busyUntil, until);
        m_wake.notify_all();
    }
    // With the lock held: the player no longer waits for the output.
    void forget(OpenAlPlayer *player) { std::erase(m_waiting, player); }
    bool connected() const
    {
        if (m_state != State::Open || !m_context) return false;
        if (!m_canTellLoss) return true;
        ALCint connected = ALC_FALSE;
        alcGetIntegerv(m_device, ALC_CONNECTED, 1, &connected);
        return connected == ALC_TRUE;
    }
    // Counts the devices opened, so a player knows whether its sources belong to this one.
    uint64_t generation() const { return m_generation; }

    void attach(OpenAlPlayer *player)
    {
        std::lock_guard lock(m_mutex);
        m_players.push_back(player);
    }
    void detach(OpenAlPlayer *player)
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_players, player);
        std::erase(m_waiting, player);
    }

private:
    enum class State { Closed, Opening, Open };

    void keep();
    bool openDevice();
    void closeDevice();
    // With the lock held: lets go of the device, and asks the thread to open one.
    void reopen(Clock::time_point now);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    State m_state = State::Closed;
    ALCdevice *m_device = nullptr;
    ALCcontext *m_context = nullptr;
    bool m_canTellLoss = false;
    LPALCDEVICEPAUSESOFT m_pause = nullptr;
    LPALCDEVICERESUMESOFT m_resume = nullptr;
    LPALCRESETDEVICESOFT m_reset = nullptr;
    std::vector<ALCint> m_attributes;
    bool m_paused = false;
    uint64_t m_generation = 0;
    std::optional<Clock::time_point> m_lastAttempt;
    Clock::time_point m_busyUntil;
    std::vector<OpenAlPlayer *> m_players;
    std::vector<OpenAlPlayer *> m_waiting;
    bool m_stopping = false;
    std::thread m_keeper;
};

// One opened wave file: its samples in a buffer, and two sources so that a restart can let
// the old voice fade while the new one begins.
class OpenAlPlayer : public SoundPlayer
{
public:
    OpenAlPlayer(std::shared_ptr<OpenAlOutput> output, const WaveData &wave)
        : m_output(std::move(output)), m_rate(wave.rate), m_length(wave.lengthMs()),
          m_position(m_length)
    {
        // Mono is doubled into both channels and played unpanned, at the file's own level.
        const int64_t frames = wave.frames();
        m_stereo.reserve(size_t(frames) * 2);
        for (int64_t f = 0; f < frames; ++f) {
            const size_t at = size_t(f) * size_t(wave.channels);
            m_stereo.push_back(wave.samples[at]);
            m_stereo.push_back(wave.samples[at + (wave.channels > 1 ? 1 : 0)]);
        }
        m_output->attach(this);
    }

    ~OpenAlPlayer() override
    {
        {
            std::lock_guard lock(m_output->mutex());
            release();
        }
        m_output->detach(this);
    }

    // Frees what lives on the device, before the device closes or the player goes.
    void release()
    {
        if (m_uploaded == 0) return;
        alDeleteSources(2, m_voices);
        alDeleteBuffers(1, &m_buffer);
        m_voices[0] = m_voices[1] = 0;
        m_buffer = 0;
        m_uploaded = 0;
        m_playing = false;
        alGetError();
    }

    // With the lock held, once the output is there: the start that waited for it.
    void begin()
    {
        m_waiting = false;
        if (!upload()) {
            m_position = m_length;
            return;
        }
        const int next = 1 - m_current;
        const ALuint voice = m_voices[next];
        alGetError();
        // The other voice may still be running silently after an earlier restart.
        alSourceStop(voice);
        alSourceRewind(voice);
        alSourcef(voice, AL_GAIN, 1.0f);
        if (m_position > 0) alSourcei(voice, AL_SAMPLE_OFFSET, ALint(m_position * m_rate / 1000));
        alSourcePlay(voice);
        if (alGetError() != AL_NO_ERROR) {
            m_position = m_length;
            return;
        }
        m_current = next;
        m_playing = true;
        m_output->playsUntil(Clock::now() + std::chrono::milliseconds(m_length - m_position));
    }

    // With the lock held: whether either voice is still being mixed.
    bool sounding() const
    {
        if (m_uploaded != m_output->generation()) return false;
        for (ALuint voice : m_voices) {
            ALint state = AL_STOPPED;
            alGetSourcei(voice, AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING) return true;
        }
        return false;
    }

    // With the lock held: the output could not be opened; the sound counts as played out.
    void giveUp()
    {
        m_waiting = false;
        m_position = m_length;
    }

    void stop() override
    {
        std::lock_guard lock(m_output->mutex());
        if (m_waiting) {
            m_output->forget(this);
            m_waiting = false;
            return;
        }
        if (!m_playing) return;
        m_position = positionLocked();
        m_playing = false;
        // OpenAL ramps a gain change over one mixing period; the silenced voice runs on.
        if (m_uploaded == m_output->generation() && m_output->connected())
            alSourcef(m_voices[m_current], AL_GAIN, 0.0f);
    }

    void seek(int64_t position) override
    {
        stop();
        std::lock_guard lock(m_output->mutex());
        m_position = std::clamp<int64_t>(position, 0, m_length);
    }

    void start() override
    {
        std::lock_guard lock(m_output->mutex());
        if (m_playing || m_waiting || m_position >= m_length) return;
        switch (m_output->prepare(this)) {
        case OpenAlOutput::Readiness::Ready:
            begin();
            m_output->wake();
            break;
        case OpenAlOutput::Readiness::Opening:
            m_waiting = true;
            break;
        case OpenAlOutput::Readiness::Unavailable:
            // Without a device the sound counts as played out at once, so all stays idle.
            m_position = m_length;
            break;
        }
    }

    int64_t position() const override
    {
        std::lock_guard lock(m_output->mutex());
        return positionLocked();
    }

    int64_t length() const override { return m_length; }

private:
    // Makes buffer and sources on the current device; false when the device refuses them.
    bool upload()
    {
        if (m_uploaded == m_output->generation()) return true;
        release();
        alGetError();
        alGenBuffers(1, &m_buffer);
        if (alGetError() != AL_NO_ERROR) return false;
        alBufferData(m_buffer, AL_FORMAT_STEREO16, m_stereo.data(),
                     ALsizei(m_stereo.size() * sizeof(int16_t)), m_rate);
        alGenSources(2, m_voices);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &m_buffer);
            m_buffer = 0;
            m_voices[0] = m_voices[1] = 0;
            return false;
        }
        for (ALuint voice : m_voices) {
            alSourcei(voice, AL_BUFFER, ALint(m_buffer));
            alSourcei(voice, AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcei(voice, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        }
        alGetError();
        m_uploaded = m_output->generation();
        return true;
    }

    int64_t positionLocked() const
    {
        // Waiting for the output to open: not begun, and not played out either.
        if (m_waiting || !m_playing) return m_position;
        ALint state = AL_STOPPED;
        if (m_uploaded == m_output->generation() && m_output->connected())
            alGetSourcei(m_voices[m_current], AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING) {
            // Played out, or the device has gone: either way nothing sounds any more.
            m_playing = false;
            m_position = m_length;
            return m_length;
        }
        ALint offset = 0;
        alGetSourcei(m_voices[m_current], AL_SAMPLE_OFFSET, &offset);
        // Still sounding, so never reported as the end.
        return std::min<int64_t>(m_length - 1, int64_t(offset) * 1000 / m_rate);
    }

    std::shared_ptr<OpenAlOutput> m_output;
    std::vector<int16_t> m_stereo;
    int m_rate;
    int64_t m_length;
    mutable int64_t m_position;
    mutable bool m_playing = false;
    bool m_waiting = false;
    ALuint m_buffer = 0;
    ALuint m_voices[2] = {0, 0};
    int m_current = 0;
    uint64_t m_uploaded = 0;
};

OpenAlOutput::Readiness OpenAlOutput::prepare(OpenAlPlayer *player)
{
    const auto now = Clock::now();
    if (connected()) return Readiness::Ready;
    if (m_state != State::Opening) {
        // Lost, or never there: asked again at most once per pause.
        if (m_lastAttempt && now - *m_lastAttempt < kRetryPause) return Readiness::Unavailable;
        reopen(now);
    }
    m_waiting.push_back(player);
    return Readiness::Opening;
}

void OpenAlOutput::openSoon()
{
    std::lock_guard lock(m_mutex);
    const auto now = Clock::now();
    if (m_state != State::Closed || (m_lastAttempt && now - *m_lastAttempt < kRetryPause)) return;
    reopen(now);
}

void OpenAlOutput::reopen(Clock::time_point now)
{
    m_lastAttempt = now;
    for (OpenAlPlayer *player : m_players)
        player->release();
    closeDevice();
    m_state = State::Opening;
    m_wake.notify_all();
}

void OpenAlOutput::keep()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_state == State::Opening) {
            // The server may take its time; nobody waits on the lock meanwhile.
            lock.unlock();
            const bool opened = openDevice();
            lock.lock();
            m_lastAttempt = Clock::now();
            m_state = opened ? State::Open : State::Closed;
            if (opened) {
                ++m_generation;
                m_paused = false;
                m_busyUntil = Clock::now();
            }
            for (OpenAlPlayer *player : std::exchange(m_waiting, {})) {
                if (opened)
                    player->begin();
                else
                    player->giveUp();
            }
            continue;
        }
        if (m_state == State::Open && !m_paused && m_pause) {
            const auto quietFrom = m_busyUntil + kPauseAfter;
            if (Clock::now() >= quietFrom) {
                // A mixer running late still plays (a faded voice runs on silently too):
                // the pause waits until it has been quiet for a while, and its last samples
                // are out.
                if (std::any_of(m_players.begin(), m_players.end(),
                                [](const OpenAlPlayer *p) { return p->sounding(); })) {
                    m_busyUntil = Clock::now();
                    continue;
                }
                m_pause(m_device);
                // The stream keeps what it had queued, a period or more of silence that would
                // be heard before the next cue; a reset gives the device a new, empty one.
                if (m_reset) m_reset(m_device, m_attributes.data());
                m_paused = true;
                continue;
            }
            m_wake.wait_until(lock, quietFrom);
            continue;
        }
        m_wake.wait(lock);
    }
}

bool OpenAlOutput::openDevice()
{
    m_device = alcOpenDevice(nullptr);
    if (!m_device) return false;
    m_attributes.clear();
    if (alcIsExtensionPresent(m_device, "ALC_SOFT_output_limiter"))
        m_attributes.insert(m_attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
    m_attributes.push_back(0);
    m_context = alcCreateContext(m_device, m_attributes.data());
    if (!m_context || !alcMakeContextCurrent(m_context)) {
        closeDevice();
        return false;
    }
    m_canTellLoss = alcIsExtensionPresent(m_device, "ALC_EXT_disconnect");
    m_pause = nullptr;
    m_resume = nullptr;
    if (alcIsExtensionPresent(m_device, "ALC_SOFT_pause_device")) {
        m_pause = reinterpret_cast<LPALCDEVICEPAUSESOFT>(
            alcGetProcAddress(m_device, "alcDevicePauseSOFT"));
        m_resume = reinterpret_cast<LPALCDEVICERESUMESOFT>(
            alcGetProcAddress(m_device, "alcDeviceResumeSOFT"));
        if (!m_pause || !m_resume) m_pause = nullptr;
    }
    m_reset = nullptr;
    if (m_pause && alcIsExtensionPresent(m_device, "ALC_SOFT_HRTF"))
        m_reset = reinterpret_cast<LPALCRESETDEVICESOFT>(
            alcGetProcAddress(m_device, "alcResetDeviceSOFT"));
    return true;
}

void OpenAlOutput::closeDevice()
{
    if (m_context) {
        if (alcGetCurrentContext() == m_context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
        m_context = nullptr;
    }
    if (m_device) {
        alcCloseDevice(m_device);
        m_device = nullptr;
    }
}

OpenAlSoundService::OpenAlSoundService() = default;
OpenAlSoundService::~OpenAlSoundService() = default;

void OpenAlSoundService::configure()
{
    // Read once, when OpenAL is first used; a file the user names is left to do its work.
    if (m_config || qEnvironmentVariableIsSet("ALSOFT_CONF")) return;
    m_config = std::make_unique<QTemporaryFile>();
    if (!m_config->open() || m_config->write(kConfig) != qint64(sizeof kConfig - 1) ||
        !m_config->flush())
        return;
    qputenv("ALSOFT_CONF", QFile::encodeName(m_config->fileName()));
}

void OpenAlSoundService::openOutput()
{
    if (const std::shared_ptr<OpenAlOutput> output = m_output.lock()) output->openSoon();
}

std::unique_ptr<SoundPlayer> OpenAlSoundService::open(const QString &path, QObject *)
{
    const auto wave = parseWave(readFileBytes(path, MediaFileLimit));
    if (!wave || wave->channels > 2 || wave->frames() == 0) return nullptr;
    // The output itself is opened only when a sound first starts.
    std::shared_ptr<OpenAlOutput> output = m_output.lock();
    if (!output) {
        configure();
        output = std::make_shared<OpenAlOutput>();
        m_output = output;
    }
    return std::make_unique<OpenAlPlayer>(output, *wave);
}
