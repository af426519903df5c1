// What the user starts: the game beside it, with the C library asked to back large blocks with
// 2 MB pages. The game would otherwise start itself again for that, and on a large screen
// loading its libraries a second time was the dearest part of the start; this program loads
// nothing but the C library.
#include "platform/HugePages.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int, char *argv[])
{
    std::string game = "sumsprout-game";
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n > 0) {
        const std::string path(self, size_t(n));
        game.insert(0, path.substr(0, path.rfind('/') + 1));
    }
    startWithHugePages(game.c_str(), argv, true);
    execv(game.c_str(), argv);
    std::fprintf(stderr, "sumsprout: cannot start %s: %s\n", game.c_str(), std::strerror(errno));
    return 1;
}
