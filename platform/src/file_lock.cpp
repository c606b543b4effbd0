#include "file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korv_host {

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        release();
        mFd = other.mFd;
        other.mFd = -1;
    }
    return *this;
}

Acad::ErrorStatus FileLock::acquire(const std::string& path, Kind kind, FileLock& out) {
    out.release();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? Acad::eFileNotFound : Acad::eFileAccessErr;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return Acad::eFileAccessErr;
    }
    const int operation = (kind == Kind::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    while (kind != Kind::None && flock(fd, operation) != 0) {
        if (errno == EINTR) continue;
        const int error = errno;
        close(fd);
        return error == EWOULDBLOCK ? Acad::eFileSharingViolation : Acad::eFileAccessErr;
    }
    out.mFd = fd;
    return Acad::eOk;
}

bool FileLock::is_file(const std::string& path) const {
    struct stat mine {
    }, theirs{};
    return mFd >= 0 && fstat(mFd, &mine) == 0 && stat(path.c_str(), &theirs) == 0 &&
           mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino;
}

void FileLock::release() {
    if (mFd >= 0) close(mFd);  // closing the last descriptor drops the lock
    mFd = -1;
}

}  // namespace korv_host
