#include "platform/OpenAlSound.h"

#include "platform/TextFiles.h"
#include "platform/WaveFile.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <algorithm>
#include <vector>

namespace {

// How long a lost or missing device is left alone before it is asked for again.
constexpr auto kRetryPause = std::chrono::seconds(3);

} // namespace

class OpenAlPlayer;

// The one output device with its context, shared by every player.
class OpenAlOutput
{
public:
    ~OpenAlOutput() { closeDevice(); }

    bool openDevice()
    {
        m_device = alcOpenDevice(nullptr);
        if (!m_device) return false;
        std::vector<ALCint> attributes;
        if (alcIsExtensionPresent(m_device, "ALC_SOFT_output_limiter"))
            attributes.insert(attributes.end(), {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE});
        attributes.push_back(0);
        m_context = alcCreateContext(m_device, attributes.data());
        if (!m_context || !alcMakeContextCurrent(m_context)) {
            closeDevice();
            return false;
        }
        m_canTellLoss = alcIsExtensionPresent(m_device, "ALC_EXT_disconnect");
        ++m_generation;
        return true;
    }

    bool connected() const
    {
        if (!m_context) return false;
        if (!m_canTellLoss) return true;
        ALCint connected = ALC_FALSE;
        alcGetIntegerv(m_device, ALC_CONNECTED, 1, &connected);
        return connected == ALC_TRUE;
    }

    // True when sounds can start now. After a loss the device is reopened, at most once per
    // pause; players then upload their sounds again.
    bool ready();

    // Counts the devices opened, so a player knows whether its sources belong to this one.
    uint64_t generation() const { return m_generation; }

    void attach(OpenAlPlayer *player) { m_players.push_back(player); }
    void detach(OpenAlPlayer *player) { std::erase(m_players, player); }

private:
    void closeDevice();

    ALCdevice *m_device = nullptr;
    ALCcontext *m_context = nullptr;
    bool m_canTellLoss = false;
    uint64_t m_generation = 0;
    std::chrono::steady_clock::time_point m_lastAttempt = std::chrono::steady_clock::now();
    std::vector<OpenAlPlayer *> m_players;
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
        release();
        m_output->detach(this);
    }

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

    void stop() override
    {
        if (!m_playing) return;
        m_position = position();
        m_playing = false;
        // OpenAL ramps a gain change over one mixing period; the silenced voice runs on.
        if (m_uploaded == m_output->generation() && m_output->connected())
            alSourcef(m_voices[m_current], AL_GAIN, 0.0f);
    }

    void seek(int64_t position) override
    {
        stop();
        m_position = std::clamp<int64_t>(position, 0, m_length);
    }

    void start() override
    {
        if (m_playing || m_position >= m_length) return;
        // Without a device the sound counts as played out at once, so all stays idle.
        if (!m_output->ready() || !upload()) {
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
    }

    int64_t position() const override
    {
        if (!m_playing) return m_position;
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

    int64_t length() const override { return m_length; }

private:
    std::shared_ptr<OpenAlOutput> m_output;
    std::vector<int16_t> m_stereo;
    int m_rate;
    int64_t m_length;
    mutable int64_t m_position;
    mutable bool m_playing = false;
    ALuint m_buffer = 0;
    ALuint m_voices[2] = {0, 0};
    int m_current = 0;
    uint64_t m_uploaded = 0;
};

bool OpenAlOutput::ready()
{
    if (connected()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastAttempt < kRetryPause) return false;
    m_lastAttempt = now;
    for (OpenAlPlayer *player : m_players)
        player->release();
    closeDevice();
    return openDevice();
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

std::unique_ptr<SoundPlayer> OpenAlSoundService::open(const QString &path, QObject *)
{
    const auto wave = parseWave(readFileBytes(path, MediaFileLimit));
    if (!wave || wave->channels > 2 || wave->frames() == 0) return nullptr;
    std::shared_ptr<OpenAlOutput> output = m_output.lock();
    if (!output) {
        const auto now = std::chrono::steady_clock::now();
        if (m_failed && now - m_lastFailure < kRetryPause) return nullptr;
        output = std::make_shared<OpenAlOutput>();
        if (!output->openDevice()) {
            m_failed = true;
            m_lastFailure = now;
            return nullptr;
        }
        m_failed = false;
        m_output = output;
    }
    auto player = std::make_unique<OpenAlPlayer>(output, *wave);
    if (!player->upload()) return nullptr;
    return player;
}
