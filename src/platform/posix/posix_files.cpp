// [X] fileSize, readFile, deleteFile, listFiles (regular files, symlinks to them included)
// [X] readFile and copyFile open without blocking and accept regular files only (a FIFO or a
//     device is refused, never waited on); readFile says on stderr why a file that is there
//     could not be read
// [X] createFile: 1 MiB user-space buffer into a temporary file, renamed over the target on
//     close; the bitmap is written 0600
// [X] copyFile: temporary file in the target folder, flushed, then renamed over the target
// [X] Writes through a symbolic link replace the link's target, never the link
// [X] Temporaries are named after their writer's pid; those of writers that are gone (killed
//     midway) are removed by the next write beside them
// [X] Shared helpers: whole-file read, folder creation, atomic replacement
#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <signal.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

#include "platform/posix/posix_platform.h"

namespace drape::platform::posix {

namespace {

// Large enough that the row-by-row BMP writer costs about what one big write(2) costs.
constexpr size_t kBufferSize = size_t{1} << 20;

bool writeAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string fileNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporaries of earlier versions carried no pid; one this old has no writer left.
constexpr time_t kUnnamedTemporaryAge = 24 * 60 * 60;

// True for ".NAME.<pid>.XXXXXX" whose writer is no longer running, and for an earlier
// version's ".NAME.XXXXXX" a day old; only regular files of this user count.
bool isStaleTemporary(int folderFd, const char* entry, std::string_view prefix) {
    const std::string_view rest = std::string_view(entry).substr(prefix.size());
    struct stat info {};
    if (fstatat(folderFd, entry, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
        info.st_uid != geteuid()) {
        return false;
    }
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos) {
        return rest.size() == 6 && info.st_mtime + kUnnamedTemporaryAge < std::time(nullptr);
    }
    pid_t pid = 0;
    const auto [end, fault] = std::from_chars(rest.data(), rest.data() + dot, pid);
    if (fault != std::errc() || end != rest.data() + dot || pid <= 0 || rest.size() != dot + 7 ||
        pid == getpid()) {
        return false;
    }
    // EPERM means the pid is alive under another user: not ours to judge.
    return kill(pid, 0) != 0 && errno == ESRCH;
}

void removeStaleTemporaries(const std::string& folder, std::string_view prefix) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).starts_with(prefix) &&
            isStaleTemporary(dirfd(dir), entry->d_name, prefix)) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

// A fresh, exclusively created file beside `target`, for content that replaces it by rename.
// Named ".NAME.<pid>.XXXXXX", so that a later writer can tell whether it was left behind.
int createTemporaryBeside(const std::string& target, std::string& temporaryPath) {
    const std::string prefix = "." + fileNameOf(target) + ".";
    const std::string folder = folderOf(target);
    removeStaleTemporaries(folder, prefix);
    temporaryPath = folder + prefix + std::to_string(getpid()) + ".XXXXXX";
    return mkostemp(temporaryPath.data(), O_CLOEXEC);
}

// Opens a regular file for reading. O_NONBLOCK keeps the open of a FIFO from waiting for a
// writer; what is not a regular file is refused before anything is read.
int openRegularFile(const std::string& path, struct stat& info, int& error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (fstat(fd, &info) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        error = kNotRegularFile;
        ::close(fd);
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return fd;
}

std::string sizeText(size_t bytes) {
    if (bytes >= (size_t{1} << 20) && bytes % (size_t{1} << 20) == 0) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return std::to_string(bytes >> 10) + " KiB";
    }
    return std::to_string(bytes) + " bytes";
}

// Writes into a temporary file beside the target and renames it over the target on a
// successful close, so a reader never sees a half-written file and a failed write leaves the
// previous file as it was.
class BufferedOutputFile final : public OutputFile {
  public:
    BufferedOutputFile(int fd, std::string temporaryPath, std::string target, Shared& shared)
        : shared_(shared),
          fd_(fd),
          temporaryPath_(std::move(temporaryPath)),
          target_(std::move(target)),
          buffer_(std::make_unique_for_overwrite<uint8_t[]>(kBufferSize)) {}
    ~BufferedOutputFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
            unlink(temporaryPath_.c_str());
        }
    }
    BufferedOutputFile(const BufferedOutputFile&) = delete;
    BufferedOutputFile& operator=(const BufferedOutputFile&) = delete;

    bool write(const void* data, size_t size) override {
        if (fd_ < 0 || failed_) {
            return false;
        }
        const auto* bytes = static_cast<const uint8_t*>(data);
        if (used_ + size > kBufferSize) {
            if (!flush()) {
                return false;
            }
            if (size >= kBufferSize) {
                failed_ = !writeAll(fd_, bytes, size);
                if (failed_) {
                    tellWhy();
                }
                return !failed_;
            }
        }
        std::memcpy(buffer_.get() + used_, bytes, size);
        used_ += size;
        return true;
    }

    bool close() override {
        if (fd_ < 0) {
            return false;
        }
        // The picture may show the host, its address and the user: for the user's eyes only.
        const bool wasFailed = failed_;
        bool ok = flush() && fchmod(fd_, 0600) == 0;
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
        ok = ok && rename(temporaryPath_.c_str(), target_.c_str()) == 0;
        if (!ok) {
            // A write that failed before has said why already.
            if (!wasFailed && !toldWhy_) {
                tellWhy();
            }
            unlink(temporaryPath_.c_str());
        }
        return ok;
    }

  private:
    bool flush() {
        if (!failed_ && used_ > 0) {
            failed_ = !writeAll(fd_, buffer_.get(), used_);
            if (failed_) {
                tellWhy();
            }
        }
        used_ = 0;
        return !failed_;
    }

    // Disk full, quota, an I/O error: the caller's message says what failed, this line why.
    void tellWhy() {
        toldWhy_ = true;
        shared_.report("cannot write " + target_ + ": " + std::strerror(errno));
    }

    Shared& shared_;
    bool toldWhy_ = false;
    int fd_;
    std::string temporaryPath_;
    std::string target_;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t used_ = 0;
    bool failed_ = false;
};

// Flushes a renamed entry to disk; without it the rename may not survive a crash.
void syncFolderOf(const std::string& path) {
    const std::string folder = folderOf(path);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

// Finishes a temporary file written by the caller and renames it over `target`; the
// temporary file is removed on any failure.
bool replaceWith(int fd, const std::string& temporaryPath, const std::string& target, bool ok,
                 mode_t mode) {
    ok = ok && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && rename(temporaryPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int error = errno;
        unlink(temporaryPath.c_str());
        errno = error;
        return false;
    }
    syncFolderOf(target);
    return true;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::string> readWholeFile(const std::string& path, size_t maxBytes, int& error) {
    struct stat info {};
    const int fd = openRegularFile(path, info, error);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<std::string> content;
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        error = EFBIG;
    } else {
        // Read to the end rather than trusting the size: the file may grow meanwhile.
        std::string text(static_cast<size_t>(info.st_size) + 1, '\0');
        size_t used = 0;
        while (true) {
            if (used == text.size()) {
                text.resize(text.size() * 2);
            }
            const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                error = errno;
                break;
            }
            if (got == 0) {
                text.resize(used);
                content = std::move(text);
                break;
            }
            used += static_cast<size_t>(got);
            if (used > maxBytes) {
                error = EFBIG;
                break;
            }
        }
    }
    ::close(fd);
    return content;
}

std::string readErrorText(int error, size_t maxBytes) {
    if (error == kNotRegularFile) {
        return "not a regular file";
    }
    if (error == EFBIG) {
        return "larger than " + sizeText(maxBytes);
    }
    return std::strerror(error);
}

std::string writeTarget(const std::string& path) {
    // As many links as the kernel follows in one lookup.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : 4096) + 1, '\0');
        const ssize_t length = readlink(current.c_str(), link.data(), link.size());
        if (length < 0 || static_cast<size_t>(length) >= link.size()) {
            return current;
        }
        link.resize(static_cast<size_t>(length));
        current = link.starts_with('/') ? link : folderOf(current) + link;
    }
    errno = ELOOP;
    return {};
}

bool makeFolders(const std::string& path, mode_t mode) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    // errno of the last mkdir that failed other than on an existing entry tells the caller why.
    int error = ENOTDIR;
    const auto make = [&](const std::string& part) {
        if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) {
            error = errno;
        }
    };
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        make(folder.substr(0, slash));
    }
    make(folder);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return true;
    }
    errno = error;
    return false;
}

bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    const std::string target = writeTarget(path);
    std::string temporaryPath;
    const int fd = target.empty() ? -1 : createTemporaryBeside(target, temporaryPath);
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAll(fd, reinterpret_cast<const uint8_t*>(content.data()), content.size());
    return replaceWith(fd, temporaryPath, target, ok, mode);
}

int64_t PosixSystem::fileSize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return info.st_size;
}

std::optional<std::string> PosixSystem::readFile(const std::string& path, size_t maxBytes) {
    int error = 0;
    std::optional<std::string> content = readWholeFile(path, maxBytes, error);
    // A file that is not there is the callers' to tell; one that is there but cannot be read
    // would otherwise go unexplained ("Missing image file", a drape.cmd passed over).
    if (!content && error != ENOENT && error != ENOTDIR) {
        shared_.report("cannot read " + path + ": " + readErrorText(error, maxBytes));
    }
    return content;
}

std::unique_ptr<OutputFile> PosixSystem::createFile(const std::string& path) {
    // A folder or an unwritable place fails here, before anything is written.
    const std::string target = writeTarget(path);
    if (target.empty()) {
        shared_.report("cannot write " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    struct stat info {};
    if (stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        shared_.report("cannot write " + path + ": " +
                       (S_ISDIR(info.st_mode) ? "it is a folder" : "it is not a regular file"));
        return nullptr;
    }
    std::string temporaryPath;
    const int fd = createTemporaryBeside(target, temporaryPath);
    if (fd < 0) {
        // Read-only, no permission, a missing folder: said here, where errno still knows.
        shared_.report("cannot write " + path + ": " + std::strerror(errno));
        return nullptr;
    }
    return std::make_unique<BufferedOutputFile>(fd, std::move(temporaryPath), target, shared_);
}

bool PosixSystem::copyFile(const std::string& from, const std::string& to) {
    struct stat info {};
    int error = 0;
    const int source = openRegularFile(from, info, error);
    if (source < 0) {
        return false;
    }
    const std::string destination = writeTarget(to);
    std::string temporaryPath;
    const int target = destination.empty() ? -1 : createTemporaryBeside(destination, temporaryPath);
    if (target < 0) {
        ::close(source);
        return false;
    }
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(kBufferSize);
    bool ok = true;
    while (ok) {
        const ssize_t got = ::read(source, buffer.get(), kBufferSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        ok = writeAll(target, buffer.get(), static_cast<size_t>(got));
    }
    ::close(source);
    return replaceWith(target, temporaryPath, destination, ok, info.st_mode & 0777);
}

bool PosixSystem::deleteFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

std::vector<std::string> PosixSystem::listFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) {
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            regular = fstatat(dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (regular) {
            names.emplace_back(entry->d_name);
        }
    }
    closedir(dir);
    return names;
}

}  // namespace drape::platform::posix
