// Preloaded into the churn for half of the store-kill rounds: a slow disk
// widens the moment between a temporary file's creation and its rename, where
// a kill leaves the temporary file behind.
#include <dlfcn.h>
#include <unistd.h>

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    ::usleep(20000);
    return real(fd);
}
