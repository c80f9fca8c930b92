#include "platform/io/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/runtime/Runtime.h"

namespace Osp::Io {

namespace {

constexpr std::string_view kHome = "/Home";

result FromErrno(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return E_STORAGE_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return E_ILLEGAL_ACCESS;
    case ENOENT:
    case ENOTDIR:
        return E_OBJ_NOT_FOUND;
    case ELOOP: // a symbolic link where a folder or the file should be
        return E_ILLEGAL_ACCESS;
    case EISDIR:
    case ENAMETOOLONG:
        return E_INVALID_ARG;
    default:
        return E_IO;
    }
}

bool HasDotDotSegment(std::string_view path) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (path.substr(start, end - start) == "..") {
            return true;
        }
        start = end + 1;
    }
    return false;
}

bool ModeFlags(const std::string& mode, int& flags, bool& writable) {
    if (mode != "r" && mode != "w") {
        return false;
    }
    writable = mode == "w";
    flags = writable ? O_WRONLY : O_RDONLY;
    return true;
}

std::vector<std::string> Segments(std::string_view path) {
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start && path.substr(start, end - start) != ".") {
            segments.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return segments;
}

// Owns a descriptor until it is handed on.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// One folder below `parent`, never through a link (O_NOFOLLOW makes a link
// ELOOP or ENOTDIR); made first when missing and `create`. -1 with errno.
int OpenFolder(int parent, const std::string& name, bool create) {
    constexpr int kFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::openat(parent, name.c_str(), kFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(parent, name.c_str(), 0755) != 0 && errno != EEXIST) {
            return -1;
        }
        fd = ::openat(parent, name.c_str(), kFlags);
    }
    if (fd < 0 && errno == ENOTDIR) {
        struct stat st {};
        if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            errno = ELOOP;
        }
    }
    return fd;
}

// Whether `name` in `folder` is a symbolic link (errno kept).
bool IsLink(int folder, const std::string& name) {
    const int saved = errno;
    struct stat st {};
    const bool link =
        ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    errno = saved;
    return link;
}

// Names the temporary file beside the real one: the process and a counter,
// so two readers on one home never share one.
std::string TemporaryName(const std::string& name) {
    static std::atomic<unsigned> counter{0};
    return "." + name + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + ".tmp";
}

} // namespace

File::File() = default;

File::~File() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (folderFd_ < 0) {
        return;
    }
    // The new bytes take the old file's place in one step; a link put there
    // meanwhile is left alone and the bytes dropped.
    const bool keep = !writeFailed_ && !IsLink(folderFd_, name_) &&
                      ::renameat(folderFd_, temporaryName_.c_str(), folderFd_, name_.c_str()) == 0;
    if (!keep) {
        ::unlinkat(folderFd_, temporaryName_.c_str(), 0);
    }
    ::close(folderFd_);
}

result File::ToSystemPath(const Osp::Base::String& filePath, std::string& systemPath) {
    if (filePath.Utf16().find(u'\0') != std::u16string::npos ||
        !pregonero::runtime::Runtime::Exists()) {
        return E_ILLEGAL_ACCESS;
    }
    const std::string path = filePath.ToUtf8();
    const bool underHome = path.compare(0, kHome.size(), kHome) == 0 &&
                           (path.size() == kHome.size() || path[kHome.size()] == '/');
    if (!underHome || HasDotDotSegment(path)) {
        return E_ILLEGAL_ACCESS;
    }
    const std::string& home = pregonero::runtime::Runtime::Get().Settings().homeDir;
    if (home.empty()) {
        return E_ILLEGAL_ACCESS;
    }
    systemPath = home + path.substr(kHome.size());
    return E_SUCCESS;
}

result File::Construct(const Osp::Base::String& filePath, const Osp::Base::String& openMode,
                       bool createParentDirectories) {
    if (fd_ >= 0) {
        return E_INVALID_STATE;
    }
    int flags = 0;
    bool writable = false;
    if (!ModeFlags(openMode.ToUtf8(), flags, writable)) {
        return E_INVALID_ARG;
    }
    std::string path;
    const result r = ToSystemPath(filePath, path);
    if (r != E_SUCCESS) {
        return r;
    }
    if (writable) {
        const std::string& home = pregonero::runtime::Runtime::Get().Settings().homeDir;
        return OpenToWrite(path.substr(home.size()), createParentDirectories);
    }
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return FromErrno(errno);
    }
    fd_ = fd;
    return E_SUCCESS;
}

result File::OpenToWrite(const std::string& relative, bool createParentDirectories) {
    std::vector<std::string> segments = Segments(relative);
    if (segments.empty()) {
        return E_INVALID_ARG; // the home folder itself
    }
    const std::string& home = pregonero::runtime::Runtime::Get().Settings().homeDir;
    // The home may be a link, chosen by the user and resolved at start; below it nothing is
    // followed.
    Descriptor folder(::open(home.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) {
        return FromErrno(errno);
    }
    for (std::size_t i = 0; i + 1 < segments.size(); ++i) {
        Descriptor next(OpenFolder(folder.Get(), segments[i], createParentDirectories));
        if (next.Get() < 0) {
            return FromErrno(errno);
        }
        folder = std::move(next);
    }
    const std::string& name = segments.back();
    struct stat st {};
    if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode)) {
            return E_ILLEGAL_ACCESS;
        }
        if (!S_ISREG(st.st_mode)) {
            return E_INVALID_ARG; // a folder, a device or a pipe is never replaced
        }
    }
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = TemporaryName(name);
        fd = ::openat(folder.Get(), temporary.c_str(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            return FromErrno(errno);
        }
    }
    if (fd < 0) {
        return E_IO;
    }
    fd_ = fd;
    writable_ = true;
    folderFd_ = folder.Release();
    name_ = name;
    temporaryName_ = std::move(temporary);
    return E_SUCCESS;
}

result File::Write(const Osp::Base::ByteBuffer& buffer) {
    return Write(buffer.GetPointer() + buffer.GetPosition(), buffer.GetRemaining());
}

result File::Write(const void* buffer, int length) {
    if (fd_ < 0) {
        return E_INVALID_STATE;
    }
    if (!writable_) {
        return E_ILLEGAL_ACCESS;
    }
    if (length < 0 || (buffer == nullptr && length > 0)) {
        return E_INVALID_ARG;
    }
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t left = static_cast<std::size_t>(length);
    while (left > 0) {
        const ssize_t written = ::write(fd_, bytes, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            writeFailed_ = true;
            return FromErrno(errno);
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return E_SUCCESS;
}

} // namespace Osp::Io
