#pragma once

#include <QString>
#include <cstdint>
#include <memory>

class QObject;

// One opened sound: stopped, rewound and started by the cue player. Position and length are
// in milliseconds; a sound that has played out reports its position equal to its length.
class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    virtual void stop() = 0;
    virtual void seek(int64_t position) = 0;
    // Returns at once; the sound plays on its own.
    virtual void start() = 0;
    virtual int64_t position() const = 0;
    virtual int64_t length() const = 0;
};

// Opens wave files. open() throws RuntimeError, or returns nullptr, when the file cannot be
// played here (missing, unreadable, or no audio output on this machine). The owner is the
// window the sounds belong to; a service may ignore it.
class SoundService
{
public:
    virtual ~SoundService() = default;
    virtual std::unique_ptr<SoundPlayer> open(const QString &path, QObject *owner) = 0;
    // Opens the output the sounds opened so far play through, in the background, before a
    // sound first starts: the first cue is then not late by the output's opening.
    virtual void openOutput() {}
};

// The length in milliseconds of a 16-bit PCM wave file's data, or -1 when the bytes are not
// such a file.
int64_t waveLengthMs(const QByteArray &bytes);
