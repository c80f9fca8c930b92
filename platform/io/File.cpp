#include "platform/io/File.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

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
    flags = writable ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
    return true;
}

} // namespace

File::File() = default;

File::~File() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
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
    if (createParentDirectories) {
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        if (error) {
            return FromErrno(error.value());
        }
    }
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) {
        return FromErrno(errno);
    }
    fd_ = fd;
    writable_ = writable;
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
            return FromErrno(errno);
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return E_SUCCESS;
}

} // namespace Osp::Io
