#include <host_test/file_locks.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "file_lock.h"
#include "text.h"

namespace host_test {
namespace {

class LocalHold : public FileHold {
public:
    explicit LocalHold(korv_host::FileLock lock) : mLock(std::move(lock)) {}

private:
    korv_host::FileLock mLock;
};

// The child takes the lock, reports it through one pipe and keeps it until the other pipe
// closes (the parent's hold ends or the parent dies).
class ChildHold : public FileHold {
public:
    ChildHold(pid_t child, int release_fd) : mChild(child), mRelease(release_fd) {}
    ~ChildHold() override {
        close(mRelease);
        int status = 0;
        waitpid(mChild, &status, 0);
    }

private:
    pid_t mChild;
    int mRelease;
};

void fail(const std::wstring& path, const char* why) {
    throw std::runtime_error("hold_exclusive_lock(" + korv_host::narrow(path) + "): " + why);
}

}  // namespace

std::unique_ptr<FileHold> hold_exclusive_lock(const std::wstring& path) {
    korv_host::FileLock lock;
    if (korv_host::FileLock::acquire(korv_host::narrow(path), korv_host::FileLock::Kind::Exclusive,
                                     lock) != Acad::eOk) {
        fail(path, "cannot lock the file");
    }
    return std::make_unique<LocalHold>(std::move(lock));
}

std::unique_ptr<FileHold> hold_exclusive_lock_in_child(const std::wstring& path) {
    int ready[2], release[2];
    if (pipe(ready) != 0) fail(path, "no pipe");
    if (pipe(release) != 0) fail(path, "no pipe");
    const std::string file = korv_host::narrow(path);
    pid_t child = fork();
    if (child < 0) fail(path, "cannot fork");
    if (child == 0) {
        close(ready[0]);
        close(release[1]);
        korv_host::FileLock lock;
        char answer = korv_host::FileLock::acquire(file, korv_host::FileLock::Kind::Exclusive,
                                                   lock) == Acad::eOk
                          ? 'y'
                          : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(2);
        char ignored;
        while (read(release[0], &ignored, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char answer = 'n';
    const bool reported = read(ready[0], &answer, 1) == 1;
    close(ready[0]);
    auto hold = std::make_unique<ChildHold>(child, release[1]);
    if (!reported || answer != 'y') fail(path, "the child could not lock the file");
    return hold;
}

}  // namespace host_test
