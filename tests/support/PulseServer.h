#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>
#include <vector>

// A private PulseAudio server with one null sink, in a folder of its own, so a test can play
// through a real sound server and record what comes out of it on a machine without a sound
// card. Runs as root too.
class PulseServer
{
public:
    static constexpr int kRate = 44100;

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer &) = delete;
    PulseServer &operator=(const PulseServer &) = delete;

    // Empty when the server runs; otherwise why it could not start.
    QString start();
    void stop();
    // The value for PULSE_SERVER.
    QString address() const;

    // Records the sink's monitor, mono 16-bit at kRate. Empty when the recorder runs.
    QString startRecording();
    // Ends the recording and returns its samples, full scale 1.
    std::vector<float> stopRecording();
    // Samples recorded so far.
    int64_t recorded() const;

private:
    QProcessEnvironment environment() const;
    bool runTool(const QString &tool, const QStringList &args, QString *output = nullptr) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_server;
    std::unique_ptr<QProcess> m_recorder;
    QString m_log;
};
