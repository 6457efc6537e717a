// [X] fileSize, readFile, deleteFile, listFiles (regular files, symlinks to them included)
// [X] createFile: 1 MiB user-space buffer into a temporary file, renamed over the target on close
// [X] copyFile: temporary file in the target folder, flushed, then renamed over the target
// [X] Shared helpers: whole-file read, folder creation, atomic replacement
#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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

// A fresh, exclusively created file beside `target`, for content that replaces it by rename.
int createTemporaryBeside(const std::string& target, std::string& temporaryPath) {
    const size_t slash = target.rfind('/');
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    temporaryPath = folderOf(target) + "." + name + ".XXXXXX";
    return mkostemp(temporaryPath.data(), O_CLOEXEC);
}

// Writes into a temporary file beside the target and renames it over the target on a
// successful close, so a reader never sees a half-written file and a failed write leaves the
// previous file as it was.
class BufferedOutputFile final : public OutputFile {
  public:
    BufferedOutputFile(int fd, std::string temporaryPath, std::string target)
        : fd_(fd),
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
        bool ok = flush() && fchmod(fd_, 0644) == 0;
        ok = ::close(fd_) == 0 && ok;
        fd_ = -1;
        ok = ok && rename(temporaryPath_.c_str(), target_.c_str()) == 0;
        if (!ok) {
            unlink(temporaryPath_.c_str());
        }
        return ok;
    }

  private:
    bool flush() {
        if (!failed_ && used_ > 0) {
            failed_ = !writeAll(fd_, buffer_.get(), used_);
        }
        used_ = 0;
        return !failed_;
    }

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
        unlink(temporaryPath.c_str());
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
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    struct stat info {};
    std::optional<std::string> content;
    if (fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EISDIR;
    } else if (static_cast<uint64_t>(info.st_size) > maxBytes) {
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

bool makeFolders(const std::string& path, mode_t mode) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        mkdir(folder.substr(0, slash).c_str(), mode);
    }
    mkdir(folder.c_str(), mode);
    struct stat info {};
    return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
    std::string temporaryPath;
    const int fd = createTemporaryBeside(path, temporaryPath);
    if (fd < 0) {
        return false;
    }
    const bool ok = writeAll(fd, reinterpret_cast<const uint8_t*>(content.data()), content.size());
    return replaceWith(fd, temporaryPath, path, ok, mode);
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
    return readWholeFile(path, maxBytes, error);
}

std::unique_ptr<OutputFile> PosixSystem::createFile(const std::string& path) {
    // A folder or an unwritable place fails here, before anything is written.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    std::string temporaryPath;
    const int fd = createTemporaryBeside(path, temporaryPath);
    if (fd < 0) {
        return nullptr;
    }
    return std::make_unique<BufferedOutputFile>(fd, std::move(temporaryPath), path);
}

bool PosixSystem::copyFile(const std::string& from, const std::string& to) {
    const int source = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return false;
    }
    struct stat info {};
    std::string temporaryPath;
    int target = -1;
    if (fstat(source, &info) != 0 || !S_ISREG(info.st_mode) ||
        (target = createTemporaryBeside(to, temporaryPath)) < 0) {
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
    return replaceWith(target, temporaryPath, to, ok, info.st_mode & 0777);
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
