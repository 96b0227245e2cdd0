#include "hartlink/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hartlink {

namespace {

std::string realPathOf(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string baseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file's first bytes; empty when it cannot be read.
std::string readSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return {};
    char buffer[64];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// The PID a lock file holds: ten ASCII digits (HDB), or the four binary
// bytes of the old Version 2 format. 0 when it holds none.
pid_t lockOwner(const std::string& content) {
    if (content.size() == sizeof(int) &&
        content.find_first_not_of(" 0123456789\n") != std::string::npos) {
        int binary = 0;
        std::memcpy(&binary, content.data(), sizeof binary);
        return binary > 0 ? static_cast<pid_t>(binary) : 0;
    }
    char* end = nullptr;
    const long pid = std::strtol(content.c_str(), &end, 10);
    const bool digits = end != content.c_str() && (*end == '\0' || *end == '\n' || *end == ' ');
    return digits && pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// A process we may not signal (another user's) is alive too.
bool alive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// "minicom": the program behind a PID, empty when the system does not say.
std::string programOf(pid_t pid) {
    std::string name = readSmallFile("/proc/" + std::to_string(pid) + "/comm");
    while (!name.empty() && (name.back() == '\n' || name.back() == ' ')) name.pop_back();
    return name;
}

bool folderExists(const std::string& folder) {
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writes our lock in one step, so a reader never sees half of it.
// EEXIST: another process was faster.
int writeLock(const std::string& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    const bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
    const int error = errno;
    ::close(fd);
    if (written) return 0;
    ::unlink(file.c_str());
    return error != 0 ? error : EIO;
}

std::string pathIn(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

IoStatus inUse(const std::string& devicePath, pid_t owner, const std::string& file) {
    const std::string program = programOf(owner);
    return IoStatus::failure("Serial port " + devicePath + " is in use by process " +
                             std::to_string(owner) + (program.empty() ? "" : " (" + program + ")") +
                             " (lock file " + file + ")");
}

IoStatus unreadableLock(const std::string& devicePath, const std::string& file) {
    return IoStatus::failure("Serial port " + devicePath + " is locked by " + file +
                             ", which names no process (remove the file if no program uses "
                             "the port)");
}

}  // namespace

std::vector<std::string> defaultLockFolders() {
    return {"/run/lock", "/var/lock"};
}

std::string lockNameOf(const std::string& devicePath) {
    const std::string real = realPathOf(devicePath);
    return "LCK.." + baseNameOf(real.empty() ? devicePath : real);
}

UucpLock::UucpLock(const std::vector<std::string>& folders) {
    // /var/lock is mostly a link to /run/lock: each folder once.
    for (const std::string& f : folders) {
        const std::string real = realPathOf(f);
        if (real.empty() || !folderExists(real)) continue;
        bool seen = false;
        for (const std::string& known : folders_) seen = seen || known == real;
        if (!seen) folders_.push_back(real);
    }
}

UucpLock::~UucpLock() {
    release();
}

IoStatus UucpLock::acquire(const std::string& devicePath) {
    release();
    if (realPathOf(devicePath).empty()) return {};
    const std::string name = lockNameOf(devicePath);
    // Two rounds: another program may take the port between our look at
    // the locks and our write. A stale lock we may not remove ends up there
    // too, and the port is used without a lock of ours.
    for (int round = 0; round < 2; ++round) {
        for (const std::string& folder : folders_) {
            const std::string file = pathIn(folder, name);
            const std::string content = readSmallFile(file);
            if (content.empty() && ::access(file.c_str(), F_OK) != 0) continue;
            const pid_t owner = lockOwner(content);
            if (owner == ::getpid()) return {};  // this process has the port already
            if (owner == 0) return unreadableLock(devicePath, file);
            if (alive(owner)) return inUse(devicePath, owner, file);
            ::unlink(file.c_str());  // left behind by a program that ended
        }
        bool raced = false;
        for (const std::string& folder : folders_) {
            const std::string file = pathIn(folder, name);
            const int error = writeLock(file);
            if (error == 0) {
                held_ = file;
                return {};
            }
            raced = error == EEXIST;
            if (raced) break;  // look at the newcomer's lock
        }
        // No folder we may write: go on without a lock of our own.
        if (!raced) return {};
    }
    return {};
}

void UucpLock::release() {
    if (held_.empty()) return;
    // Only our own: a lock that names another process is theirs now.
    if (lockOwner(readSmallFile(held_)) == ::getpid()) ::unlink(held_.c_str());
    held_.clear();
}

}  // namespace hartlink
