#pragma once

#include <QString>

class RuntimeError;

// An error as a person reads it, in Chinese: which file and, where it applies, which line, and
// what is wrong with it.
QString ErrorText(const RuntimeError &error);
// What an errno means, in a few words.
QString SystemReason(int code);
