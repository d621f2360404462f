// SPDX-FileCopyrightText: 2026 Ostrel app store developers
// SPDX-License-Identifier: LGPL-2.1-or-later

// Preloaded into a linker run by the tests to give it the faults of renames:
//   LINKER_REFUSE_EXCHANGE=1 makes renameat2 with RENAME_EXCHANGE fail with
//   EINVAL, as some network and older file systems do;
//   LINKER_KILL_AT kills the run with SIGKILL at the point it names, to leave
//   the state a crash or a power cut leaves:
//     before-exchange / after-exchange: around a directory swap;
//     before-rename: as a link is renamed over an outdated one;
//     before-directory-rename: as a directory is renamed into a place.

#include <dlfcn.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool isSet(const char *variable, const char *value)
{
    const char *set = std::getenv(variable);
    return set && std::strcmp(set, value) == 0;
}

bool killsAt(const char *point)
{
    return isSet("LINKER_KILL_AT", point);
}

template <typename Function> Function next(const char *name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The commands the run starts must not inherit the shim. Constructors run
// before the program has started any thread.
__attribute__((constructor)) void forgetPreload()
{
    unsetenv("LD_PRELOAD"); // NOLINT(concurrency-mt-unsafe)
}

// Ends the process as a crash would; where the signal cannot be raised, the
// process still ends without cleaning up.
void killNow()
{
    if (raise(SIGKILL) != 0)
        _exit(128 + SIGKILL);
}

} // namespace

extern "C" int renameat2(int oldDirFd, const char *oldPath, int newDirFd, const char *newPath,
                         unsigned int flags)
{
    using Function = int (*)(int, const char *, int, const char *, unsigned int);
    static const Function real = next<Function>("renameat2");
    const bool exchange = flags & RENAME_EXCHANGE;
    if (exchange && isSet("LINKER_REFUSE_EXCHANGE", "1")) {
        errno = EINVAL;
        return -1;
    }
    if (exchange && killsAt("before-exchange"))
        killNow();
    const int result = real(oldDirFd, oldPath, newDirFd, newPath, flags);
    if (exchange && result == 0 && killsAt("after-exchange"))
        killNow();
    return result;
}

extern "C" int rename(const char *oldPath, const char *newPath)
{
    using Function = int (*)(const char *, const char *);
    static const Function real = next<Function>("rename");
    struct stat st = {};
    const bool directory = lstat(oldPath, &st) == 0 && S_ISDIR(st.st_mode);
    if (killsAt(directory ? "before-directory-rename" : "before-rename"))
        killNow();
    return real(oldPath, newPath);
}
