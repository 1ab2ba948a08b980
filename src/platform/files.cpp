// files.cpp -- data files read whole into memory: regular files only, never mapped
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <map>

#include "platform/platform.h"

namespace {
std::map<std::string, std::vector<uint8_t>> keptContents;
}  // namespace

void keepFileContents(const std::string& path, const std::vector<uint8_t>* bytes)
{
    if (bytes) keptContents[path] = *bytes;
    else keptContents.erase(path);
}

bool readWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes, std::string* reason)
{
    auto kept = keptContents.find(path);
    if (kept != keptContents.end() && kept->second.size() <= maxBytes) {
        bytes = kept->second;
        return true;
    }
    auto fail = [&](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    // Non-blocking, so that opening a FIFO returns at once instead of waiting for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(std::strerror(errno));
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return fail("not a regular file");
    }
    if (static_cast<unsigned long long>(info.st_size) > maxBytes) {
        close(fd);
        return fail("larger than the reader accepts");
    }
    // The size may change while we read: what is read is what the decoder sees, no more
    // than the cap.
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    bytes.resize(got);
    return true;
}

bool writeFileWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string& reason)
{
    // A hidden temporary name beside the target, so the rename cannot cross file systems.
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string partial = folder + "." + name + ".partial-" + std::to_string(getpid());
    struct stat existing;
    if (lstat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        reason = "not a regular file";
        return false;
    }
    int fd = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    int writeErrno = done < bytes.size() ? (errno ? errno : ENOSPC) : 0;
    if (close(fd) != 0 && writeErrno == 0) writeErrno = errno;
    if (writeErrno == 0 && rename(partial.c_str(), path.c_str()) != 0) writeErrno = errno;
    if (writeErrno == 0) return true;
    unlink(partial.c_str());
    reason = std::strerror(writeErrno);
    return false;
}

bool checkOutputName(const std::string& path, std::string& reason)
{
    struct stat existing;
    if (lstat(path.c_str(), &existing) == 0) {
        if (S_ISREG(existing.st_mode)) return true;
        reason = "not a regular file";
        return false;
    }
    if (errno == ENOENT) return true;
    reason = errno == ENAMETOOLONG ? "the name is too long" : std::strerror(errno);
    return false;
}

size_t longestNameIn(const std::string& folder)
{
    long most = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return most > 0 ? static_cast<size_t>(most) : 255;
}

bool createNewFile(const std::string& path, std::string& reason)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    close(fd);
    return true;
}

bool useWorkingDirectory(const char* path) { return chdir(path) == 0; }
