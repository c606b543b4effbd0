// file_locks.h: holding a drawing open for writing, as another program would, so that a
// test can watch the host refuse to share it.
//
// The hold is an exclusive whole-file lock, the host's sign of a writer. It lasts as long
// as the returned object. held_by_child() puts the hold in a child process, for tests that
// want a truly separate program; the in-process hold behaves the same to the host.
#pragma once

#include <memory>
#include <string>

namespace host_test {

class FileHold {
public:
    virtual ~FileHold() = default;
};

// Throws std::runtime_error when the file cannot be opened or is already locked.
std::unique_ptr<FileHold> hold_exclusive_lock(const std::wstring& path);
std::unique_ptr<FileHold> hold_exclusive_lock_in_child(const std::wstring& path);

}  // namespace host_test
