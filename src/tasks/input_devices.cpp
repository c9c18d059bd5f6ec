// input_devices.cpp -- the watch on the device directory: inotify where the system has it (entries
// made, removed, renamed, or their permissions changed), else the directory's modification time
// read once a second. Either way a directory that is missing is looked for once a second.
#include "tasks/input_devices.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace {

constexpr const char *default_dir = "/dev/input";
constexpr uint32_t quiet_time = 250;
constexpr uint32_t look_interval = 1000;

// What the directory looks like from outside, for systems without inotify.
struct Signature {
    bool exists = false;
    struct timespec mtime {};

    bool operator==(const Signature &o) const
    {
        return exists == o.exists && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

struct Watch {
    std::string dir;
    int fd = -1; // the inotify instance; -1 where there is none
    int wd = -1; // the watch on dir; -1 while dir cannot be watched
    Signature seen;
    bool pending = false; // a change not yet reported
    uint32_t lastChange = 0;
    uint32_t lastLook = 0;
};

Watch watch;

Signature signatureOf(const std::string &dir)
{
    Signature s;
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        s.exists = true;
        s.mtime = st.st_mtim;
    }
    return s;
}

void noteChange(uint32_t now)
{
    watch.pending = true;
    watch.lastChange = now;
}

#ifdef __linux__
bool addWatch()
{
    watch.wd = inotify_add_watch(watch.fd, watch.dir.c_str(),
                                 IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                     IN_MOVE_SELF | IN_ONLYDIR);
    return watch.wd >= 0;
}

// Every event is a change; the one that says the watch has ended (the directory went) also
// sends us looking for the directory again.
void readEvents(uint32_t now)
{
    alignas(struct inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t got = read(watch.fd, buffer, sizeof buffer);
        if (got <= 0)
            return;
        noteChange(now);
        for (size_t at = 0; at + sizeof(struct inotify_event) <= static_cast<size_t>(got);) {
            struct inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            if ((event.mask & IN_IGNORED) != 0 && event.wd == watch.wd)
                watch.wd = -1;
            at += sizeof event + event.len;
        }
    }
}
#endif

void look(uint32_t now)
{
    if (now - watch.lastLook < look_interval)
        return;
    watch.lastLook = now;
#ifdef __linux__
    if (watch.fd >= 0) {
        if (watch.wd < 0 && addWatch())
            noteChange(now);
        return;
    }
#endif
    const Signature s = signatureOf(watch.dir);
    if (!(s == watch.seen))
        noteChange(now);
    watch.seen = s;
}

} // namespace

const char *input_devices_dir()
{
    const char *dir = std::getenv("TRELVIK_INPUT_DIR");
    return dir != nullptr && dir[0] != '\0' ? dir : default_dir;
}

void input_devices_watch(const char *dir, uint32_t now)
{
    input_devices_unwatch();
    watch.dir = dir;
    watch.lastLook = now;
#ifdef __linux__
    watch.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watch.fd >= 0) {
        addWatch();
        return;
    }
#endif
    watch.seen = signatureOf(watch.dir);
}

bool input_devices_changed(uint32_t now)
{
#ifdef __linux__
    if (watch.fd >= 0)
        readEvents(now);
#endif
    look(now);
    if (!watch.pending || now - watch.lastChange < quiet_time)
        return false;
    watch.pending = false;
    return true;
}

void input_devices_unwatch()
{
    if (watch.fd >= 0)
        close(watch.fd); // ends its watch too
    watch = Watch{};
}
