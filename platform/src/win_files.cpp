// The three Win32 file calls the module makes (temporary folder, unique temporary file,
// file copy), over POSIX, with Win32's results and last-error codes.
//
// On this platform the path separator is '/': GetTempPathW answers TMPDIR (or /tmp) with a
// trailing '/', and GetTempFileNameW accepts a folder with or without one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <string>

#include "host_state.h"
#include "text.h"

using host_test::HostOp;

namespace {

constexpr DWORD kErrorFileNotFound = 2;
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorWriteFault = 29;
constexpr DWORD kErrorFileExists = 80;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorBufferOverflow = 111;
constexpr DWORD kErrorDirectory = 267;

thread_local DWORD last_error = 0;

DWORD error_of(int err) {
    switch (err) {
        case ENOENT:
            return kErrorFileNotFound;
        case ENOTDIR:
            return kErrorPathNotFound;
        case EACCES:
        case EPERM:
            return kErrorAccessDenied;
        case EEXIST:
            return kErrorFileExists;
        default:
            return kErrorWriteFault;
    }
}

// A fired fault: a named one answers its status as the call's result, the count-down 0.
template <class Result>
bool faulted(HostOp op, Result& result) {
    korv_host::Fault fault = korv_host::check_fault(op, nullptr);
    if (!fault.fires) return false;
    result = fault.from_countdown ? Result(0) : static_cast<Result>(fault.status);
    last_error = kErrorAccessDenied;
    return true;
}

std::string temporary_folder() {
    const char* variable = std::getenv("TMPDIR");
    std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    if (folder.back() != '/') folder += '/';
    return folder;
}

bool copy_contents(int from, int to) {
    char buffer[65536];
    for (;;) {
        ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(to, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

}  // namespace

DWORD GetLastError() {
    return last_error;
}

DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
    DWORD result = 0;
    if (faulted(HostOp::GetTempPath, result)) return result;
    const std::wstring folder = korv_host::widen(temporary_folder());
    const auto length = static_cast<DWORD>(folder.size());
    if (lpBuffer == nullptr || nBufferLength <= length) return length + 1;
    std::wmemcpy(lpBuffer, folder.c_str(), folder.size() + 1);
    last_error = 0;
    return length;
}

UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique,
                      LPWSTR lpTempFileName) {
    UINT result = 0;
    if (faulted(HostOp::GetTempFileName, result)) return result;
    if (lpPathName == nullptr || lpTempFileName == nullptr) {
        last_error = kErrorInvalidParameter;
        return 0;
    }
    std::wstring folder = lpPathName;
    if (folder.size() > MAX_PATH - 14) {
        last_error = kErrorBufferOverflow;
        return 0;
    }
    if (!folder.empty() && folder.back() != L'/' && folder.back() != L'\\') folder += L'/';
    struct stat info {};
    if (stat(korv_host::narrow(folder).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        last_error = kErrorDirectory;
        return 0;
    }
    const std::wstring prefix = std::wstring(lpPrefixString ? lpPrefixString : L"").substr(0, 3);
    auto name_for = [&](UINT number) {
        wchar_t hex[8];
        std::swprintf(hex, 8, L"%X", number);
        return folder + prefix + hex + L".TMP";
    };
    uUnique &= 0xFFFF;
    if (uUnique != 0) {
        const std::wstring name = name_for(uUnique);
        std::wmemcpy(lpTempFileName, name.c_str(), name.size() + 1);
        return uUnique;
    }
    // As Win32: start from the clock and count up to the first name not taken, making the
    // file so that the name stays ours.
    UINT number = static_cast<UINT>((std::time(nullptr) ^ getpid()) & 0xFFFF);
    for (int attempt = 0; attempt < 0x10000; ++attempt, number = (number + 1) & 0xFFFF) {
        if (number == 0) continue;
        const std::wstring name = name_for(number);
        int fd = open(korv_host::narrow(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            close(fd);
            std::wmemcpy(lpTempFileName, name.c_str(), name.size() + 1);
            last_error = 0;
            return number;
        }
        if (errno != EEXIST) {
            last_error = error_of(errno);
            return 0;
        }
    }
    last_error = kErrorFileExists;
    return 0;
}

BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists) {
    BOOL result = FALSE;
    if (faulted(HostOp::CopyFile, result)) return result;
    if (lpExistingFileName == nullptr || lpNewFileName == nullptr) {
        last_error = kErrorInvalidParameter;
        return FALSE;
    }
    int from = open(korv_host::narrow(lpExistingFileName).c_str(), O_RDONLY);
    if (from < 0) {
        last_error = error_of(errno);
        return FALSE;
    }
    const int flags = O_WRONLY | O_CREAT | (bFailIfExists ? O_EXCL : O_TRUNC);
    int to = open(korv_host::narrow(lpNewFileName).c_str(), flags, 0644);
    if (to < 0) {
        last_error = error_of(errno);
        close(from);
        return FALSE;
    }
    const bool copied = copy_contents(from, to);
    const int copy_error = errno;
    close(from);
    if (close(to) != 0 || !copied) {
        last_error = error_of(copied ? errno : copy_error);
        return FALSE;
    }
    last_error = 0;
    return TRUE;
}
