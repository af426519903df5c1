#include "platform/HugePages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace {

const char Tunables[] = "GLIBC_TUNABLES";
const char HugeTunable[] = "glibc.malloc.hugetlb";
// Set for the program started again: the tunables as they were, after a "=" (none: empty).
const char Started[] = "SUMSPROUT_TUNABLES_WERE";

// Huge pages given when asked for, rather than always (nothing to ask) or never.
bool givenOnRequest()
{
    std::ifstream f("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(f, modes);
    return modes.find("[madvise]") != std::string::npos;
}

void restore(const char *was)
{
    if (was[0] == '=')
        setenv(Tunables, was + 1, 1);
    else
        unsetenv(Tunables);
    unsetenv(Started);
}

} // namespace

void startWithHugePages(const char *program, char **argv, bool worthIt)
{
#if defined(__linux__) && defined(__GLIBC__)
    if (const char *was = std::getenv(Started)) {
        // Programs this one starts get the environment it was given.
        restore(std::string(was).c_str());
        return;
    }
    const char *tunables = std::getenv(Tunables);
    if (!worthIt || (tunables && std::strstr(tunables, HugeTunable)) || !program || !argv ||
        !givenOnRequest())
        return;
    const std::string was = tunables ? std::string("=") + tunables : std::string();
    std::string asked = std::string(HugeTunable) + "=1";
    if (tunables && *tunables) asked = std::string(tunables) + ":" + asked;
    setenv(Started, was.c_str(), 1);
    setenv(Tunables, asked.c_str(), 1);
    execvp(program, argv);
    // Not started: on as it is.
    restore(was.c_str());
#else
    (void)program;
    (void)argv;
    (void)worthIt;
#endif
}
