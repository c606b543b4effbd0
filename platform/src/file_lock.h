// file_lock.h: whole-file advisory locks, the host's file sharing on this platform.
//
// A drawing open for writing is held with an exclusive lock; a reader that denies writers
// holds a shared one. Locks belong to an open file (flock), so two opens in one process
// conflict exactly as two processes do.
#pragma once

#include <acadstrc.h>

#include <string>

namespace korv_host {

class FileLock {
public:
    enum class Kind { None, Shared, Exclusive };  // None: opened, not locked

    FileLock() = default;
    ~FileLock() { release(); }
    FileLock(FileLock&& other) noexcept : mFd(other.mFd) { other.mFd = -1; }
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Opens the file for reading and takes the lock without waiting: eOk; eFileNotFound;
    // eFileAccessErr (no permission, a folder); eFileSharingViolation when another open
    // holds a conflicting lock.
    static Acad::ErrorStatus acquire(const std::string& path, Kind kind, FileLock& out);

    bool held() const { return mFd >= 0; }
    int fd() const { return mFd; }
    // True when this lock's file is the file at path.
    bool is_file(const std::string& path) const;
    void release();

private:
    int mFd = -1;
};

}  // namespace korv_host
