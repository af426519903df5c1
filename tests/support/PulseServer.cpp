#include "PulseServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <sys/prctl.h>

namespace {

void endProcess(std::unique_ptr<QProcess> &process, int graceMs)
{
    if (!process) return;
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(graceMs)) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
    process.reset();
}

} // namespace

PulseServer::PulseServer() = default;

PulseServer::~PulseServer()
{
    stop();
}

QProcessEnvironment PulseServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/.config")));
    env.insert(QStringLiteral("PULSE_SERVER"), address());
    return env;
}

QString PulseServer::address() const
{
    return QStringLiteral("unix:") + m_dir.filePath(QStringLiteral("run/native"));
}

bool PulseServer::runTool(const QString &tool, const QStringList &args, QString *output) const
{
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(tool, args);
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (output) *output = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString PulseServer::start()
{
    if (!m_dir.isValid()) return QStringLiteral("no temporary folder");
    for (const char *tool : {"pulseaudio", "pactl", "parec"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (tools/install-deps.sh --test installs it)")
                .arg(QString::fromLatin1(tool));
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("home/.config"));
    root.mkpath(QStringLiteral("run"));
    QFile::setPermissions(root.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Our own start-up script: no card, no session bus, nothing but the null sink and the
    // socket in our folder. A sink that rewinds rewrites what its monitor has already handed
    // to the recorder, so the recording would miss the first moments of a new stream.
    QFile script(root.filePath(QStringLiteral("server.pa")));
    if (!script.open(QIODevice::WriteOnly)) return QStringLiteral("cannot write server.pa");
    script.write(QStringLiteral("load-module module-null-sink sink_name=out rate=%1 channels=2 "
                                "norewinds=1\n"
                                "load-module module-native-protocol-unix auth-anonymous=1 "
                                "socket=%2\n"
                                "set-default-sink out\n")
                     .arg(kRate)
                     .arg(m_dir.filePath(QStringLiteral("run/native")))
                     .toUtf8());
    script.close();

    m_server = std::make_unique<QProcess>();
    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("PULSE_SERVER"));
    m_server->setProcessEnvironment(env);
    // The server must not outlive a test that is killed.
    m_server->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_server->setProcessChannelMode(QProcess::MergedChannels);
    m_server->setStandardOutputFile(root.filePath(QStringLiteral("server.log")));
    // -n: no system script; --system=no with our own HOME and XDG_RUNTIME_DIR lets root run a
    // per-user server (it warns, and goes on).
    m_server->start(QStringLiteral("pulseaudio"),
                    {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                     QStringLiteral("--system=no"), QStringLiteral("--exit-idle-time=30"),
                     QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
                     QStringLiteral("--no-cpu-limit=yes"), QStringLiteral("--realtime=no"),
                     QStringLiteral("--high-priority=yes"), QStringLiteral("--log-target=stderr"),
                     QStringLiteral("-F"), root.filePath(QStringLiteral("server.pa"))});
    if (!m_server->waitForStarted(5000)) {
        m_server.reset();
        return QStringLiteral("pulseaudio did not start");
    }
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (m_server->state() == QProcess::NotRunning) break;
        if (QFileInfo::exists(m_dir.filePath(QStringLiteral("run/native"))) &&
            runTool(QStringLiteral("pactl"), {QStringLiteral("info")}))
            return QString();
        QThread::msleep(100);
    }
    QFile log(root.filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    const QString why = QString::fromLocal8Bit(log.readAll()).trimmed().right(600);
    endProcess(m_server, 2000);
    return QStringLiteral("pulseaudio did not come up: ") + why;
}

void PulseServer::stop()
{
    endProcess(m_recorder, 2000);
    endProcess(m_server, 5000);
}

QString PulseServer::startRecording()
{
    endProcess(m_recorder, 2000);
    const QString file = m_dir.filePath(QStringLiteral("recording.raw"));
    QFile::remove(file);
    m_recorder = std::make_unique<QProcess>();
    m_recorder->setProcessEnvironment(environment());
    m_recorder->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_recorder->setStandardOutputFile(file);
    // A short latency keeps the monitor's timeline even; the default delivers in big blocks.
    m_recorder->start(QStringLiteral("parec"),
                      {QStringLiteral("--device=out.monitor"), QStringLiteral("--raw"),
                       QStringLiteral("--format=s16le"), QStringLiteral("--rate=%1").arg(kRate),
                       QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
    if (!m_recorder->waitForStarted(5000)) return QStringLiteral("parec did not start");
    const QDeadlineTimer deadline(5000);
    while (recorded() < kRate / 5) {
        if (deadline.hasExpired() || m_recorder->state() == QProcess::NotRunning)
            return QStringLiteral("parec records nothing");
        QThread::msleep(20);
    }
    return QString();
}

int64_t PulseServer::recorded() const
{
    return QFileInfo(m_dir.filePath(QStringLiteral("recording.raw"))).size() / 2;
}

std::vector<float> PulseServer::stopRecording()
{
    endProcess(m_recorder, 2000);
    QFile file(m_dir.filePath(QStringLiteral("recording.raw")));
    std::vector<float> samples;
    if (!file.open(QIODevice::ReadOnly)) return samples;
    const QByteArray bytes = file.readAll();
    samples.resize(size_t(bytes.size() / 2));
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(int16_t(uint16_t(b[2 * i] | b[2 * i + 1] << 8))) / 32768.0f;
    return samples;
}
