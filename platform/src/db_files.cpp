// Drawing files: AcDbDatabase::readDwgFile, closeInput and saveAs over the host's DXF
// reader and writer.
//
// Sharing follows the host's open modes with whole-file locks (file_lock.h): a program
// writing a drawing holds it exclusively; kForReadAndReadShare (deny writers) and
// kForReadAndWriteNoShare (deny all) read only when no conflicting hold exists
// (eFileSharingViolation otherwise) and keep their own hold until closeInput(true) or the
// database's end; kForReadAndAllShare reads whatever holds exist and keeps nothing open;
// kTryForReadShare tries the first and falls back to the last.
//
// Reading: a database is read once (eRepeatedDwgRead after a successful read). A failed
// read leaves it empty, so a second read may follow. A database built with its default
// drawing gives that content up to the drawing read. After the drawing itself, its
// external references are loaded (xref_binding.h).
//
// Saving writes the whole drawing to a new file beside the target and renames it over the
// target, so a failed save leaves the file on disk as it was; a symbolic link is saved
// through to its target, the file keeps its mode, and the folder is flushed after the
// rename. A save over a file another
// open holds is refused with eFileSharingViolation; the database's own hold on the file it
// was read from is given up first.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "dxf_reader.h"
#include "dxf_writer.h"
#include "host_state.h"
#include "text.h"
#include "xref_binding.h"

using host_test::HostOp;
using korv_host::FileLock;

namespace {

// Everything the database holds goes, as at its end; it can then be read into.
void clear_database(korv_host::DatabaseImpl& impl) {
    impl.xref_databases.clear();
    for (AcDbStub* stub : impl.stubs) {
        if (AcDbObject* object = stub->object) {
            while (object->isOpen()) object->close();
            korv_host::ObjectAccess::delete_by_host(object);
        }
        stub->object = nullptr;
        stub->database = nullptr;
    }
    impl.stubs.clear();
    impl.by_handle.clear();
    impl.next_handle = 1;
    impl.block_table = impl.layer_table = impl.named_objects = impl.layer_zero = AcDbObjectId();
    impl.input.release();
    impl.read_repairs.clear();
}

// The whole file in one buffer, without a copy where that can be had. A large drawing is
// mapped: its bytes are the page cache's own, and no buffer of the file's size is allocated
// and filled (a program that cuts the file short while it is read ends the process; one
// that rewrites it in place is read as the read would find it). A small one is read in as
// few calls as the file allows: its size is known up front, and a file that grows while it
// is read is read to its end.
class FileText {
public:
    FileText() = default;
    FileText(const FileText&) = delete;
    FileText& operator=(const FileText&) = delete;
    ~FileText() {
        if (mMapped != nullptr) munmap(mMapped, mSize);
    }
    std::string_view view() const {
        return {mMapped != nullptr ? static_cast<const char*>(mMapped) : mBytes.get(), mSize};
    }
    Acad::ErrorStatus read(int fd);
    // The mapped pages wholly inside [from, to) leave the process's memory; they are read
    // from the page cache again when touched.
    void let_go(size_t from, size_t to) const;

private:
    static constexpr size_t kMapFrom = size_t{1} << 20;
    Acad::ErrorStatus read_in(int fd, size_t capacity);
    void* mMapped = nullptr;
    std::unique_ptr<char[]> mBytes;
    size_t mSize = 0;
};

Acad::ErrorStatus FileText::read(int fd) {
    struct stat info {};
    if (fstat(fd, &info) != 0) return Acad::eFileAccessErr;
    const auto size = static_cast<size_t>(info.st_size > 0 ? info.st_size : 0);
    if (S_ISREG(info.st_mode) && size >= kMapFrom) {
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            mMapped = mapped;
            mSize = size;
            return Acad::eOk;
        }
    }
    return read_in(fd, size > 0 ? size + 1 : 65536);
}

void FileText::let_go(size_t from, size_t to) const {
    if (mMapped == nullptr) return;
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t first = (from + page - 1) / page * page;
    const size_t end = std::min(to, mSize) / page * page;
    if (first < end) madvise(static_cast<char*>(mMapped) + first, end - first, MADV_DONTNEED);
}

// The buffer is not cleared first: every byte of it that is used is read.
Acad::ErrorStatus FileText::read_in(int fd, size_t capacity) {
    mBytes.reset(new char[capacity]);
    mSize = 0;
    for (;;) {
        if (mSize == capacity) {
            std::unique_ptr<char[]> larger(new char[capacity * 2]);
            std::memcpy(larger.get(), mBytes.get(), mSize);
            mBytes = std::move(larger);
            capacity *= 2;
        }
        const ssize_t got =
            pread(fd, mBytes.get() + mSize, capacity - mSize, static_cast<off_t>(mSize));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Acad::eFileAccessErr;
        if (got == 0) return Acad::eOk;
        mSize += static_cast<size_t>(got);
    }
}

Acad::ErrorStatus open_for(const std::string& path, AcDbDatabase::OpenMode mode, FileLock& lock) {
    switch (mode) {
        case AcDbDatabase::kForReadAndReadShare:
            return FileLock::acquire(path, FileLock::Kind::Shared, lock);
        case AcDbDatabase::kForReadAndWriteNoShare:
            return FileLock::acquire(path, FileLock::Kind::Exclusive, lock);
        case AcDbDatabase::kForReadAndAllShare:
            return FileLock::acquire(path, FileLock::Kind::None, lock);
        case AcDbDatabase::kTryForReadShare: {
            Acad::ErrorStatus es = FileLock::acquire(path, FileLock::Kind::Shared, lock);
            return es == Acad::eFileSharingViolation
                       ? FileLock::acquire(path, FileLock::Kind::None, lock)
                       : es;
        }
    }
    return Acad::eInvalidInput;
}

bool keeps_file_open(AcDbDatabase::OpenMode mode) {
    return mode != AcDbDatabase::kForReadAndAllShare;
}

Acad::ErrorStatus write_file(int fd, const std::vector<std::string>& parts) {
    for (const std::string& text : parts) {
        for (size_t done = 0; done < text.size();) {
            ssize_t put = write(fd, text.data() + done, text.size() - done);
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return errno == ENOSPC ? Acad::eOutOfDisk : Acad::eFileAccessErr;
            done += static_cast<size_t>(put);
        }
    }
    return fsync(fd) == 0 ? Acad::eOk : Acad::eFileAccessErr;
}

// The file a save writes: the path, or what its symbolic links lead to, link by link.
// False for a loop of links.
bool resolve_links(std::filesystem::path& path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(path, error))) return true;
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error) return false;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return false;
}

// Flushes the folder's entries, so a rename in it outlives a crash.
Acad::ErrorStatus sync_folder(const std::filesystem::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Acad::eFileAccessErr;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced ? Acad::eOk : Acad::eFileAccessErr;
}

// Writes the text, its parts in order, to a new file in the target's folder and renames it
// over the target. A symbolic link is written through to its target, and a file that is
// there keeps its mode; a new one gets the mode the process's umask leaves.
Acad::ErrorStatus replace_file(const std::string& path, const std::vector<std::string>& text) {
    std::filesystem::path target(path);
    if (!resolve_links(target)) return Acad::eFileAccessErr;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    mode_t mode = 0;
    struct stat existing {};
    if (stat(target.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = mkstemp(temp.data());
    if (fd < 0) return errno == ENOENT ? Acad::eFileNotFound : Acad::eFileAccessErr;
    Acad::ErrorStatus es = fchmod(fd, mode) == 0 ? Acad::eOk : Acad::eFileAccessErr;
    if (es == Acad::eOk) es = write_file(fd, text);
    if (close(fd) != 0 && es == Acad::eOk) es = Acad::eFileAccessErr;
    if (es == Acad::eOk && rename(temp.c_str(), target.c_str()) != 0) es = Acad::eFileAccessErr;
    if (es != Acad::eOk) {
        unlink(temp.c_str());
        return es;
    }
    return sync_folder(folder);
}

}  // namespace

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName, OpenMode shmode, bool,
                                            const wchar_t*) {
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::ReadDwgFile, this);
    if (es != Acad::eOk) return es;
    if (fileName == nullptr || *fileName == L'\0') return Acad::eInvalidInput;
    if (mImpl->was_read) return Acad::eRepeatedDwgRead;
    const std::string path = korv_host::narrow(fileName);
    FileLock lock;
    if ((es = open_for(path, shmode, lock)) != Acad::eOk) return es;
    FileText text;
    if ((es = text.read(lock.fd())) != Acad::eOk) return es;
    clear_database(*mImpl);
    try {
        es = korv_host::dxf::read_database(
            this, text.view(), mImpl->read_repairs,
            [&text](size_t from, size_t to) { text.let_go(from, to); });
    } catch (...) {
        es = Acad::eDwgNeedsRecovery;  // a class's own reading gave up: the file is not sound
    }
    if (es != Acad::eOk) {
        clear_database(*mImpl);
        return es;
    }
    mImpl->was_read = true;
    mImpl->file_name = mImpl->original_file_name = fileName;
    mImpl->has_file_name = mImpl->has_original_file_name = true;
    if (keeps_file_open(shmode)) mImpl->input = std::move(lock);
    korv_host::load_xrefs(this, fileName);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::closeInput(bool bCloseFile) {
    if (bCloseFile) mImpl->input.release();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName) {
    Acad::ErrorStatus es = korv_host::fault_status(HostOp::SaveAs, this);
    if (es != Acad::eOk) return es;
    if (fileName == nullptr || *fileName == L'\0') return Acad::eInvalidInput;
    std::vector<std::string> text;  // the file, in parts
    if ((es = korv_host::dxf::write_database(this, text)) != Acad::eOk) return es;
    const std::string path = korv_host::narrow(fileName);
    if (mImpl->input.is_file(path)) mImpl->input.release();
    FileLock target;
    es = FileLock::acquire(path, FileLock::Kind::Exclusive, target);
    if (es != Acad::eOk && es != Acad::eFileNotFound) return es;
    if ((es = replace_file(path, text)) != Acad::eOk) return es;
    mImpl->file_name = fileName;
    mImpl->has_file_name = true;
    return Acad::eOk;
}
