#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/Object.h"
#include "platform/base/String.h"

#include <string>

namespace Osp::Io {

// A file inside the application's "/Home", which is the runtime's home
// directory: "/Home/Res/x.xml" is HOME/Res/x.xml. Every other path, and any
// path with a ".." segment, is refused with E_ILLEGAL_ACCESS.
//
// Writing follows no symbolic link below the home directory (the home itself
// may be one): a link on the way, or in the file's place, is refused with
// E_ILLEGAL_ACCESS and nothing is written. A file opened to write replaces
// the old one whole when it is closed, and only if every write succeeded, so
// another reader of the same path sees the old bytes or the new ones, never
// a part. The file is closed when the object goes.
class File : public Osp::Base::Object {
public:
    File();
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // openMode: "r" reads; "w" writes, creating or replacing; anything
    // else is E_INVALID_ARG. With createParentDirectories, missing folders are made.
    result Construct(const Osp::Base::String& filePath, const Osp::Base::String& openMode,
                     bool createParentDirectories = false);
    // Writes the bytes between the buffer's position and limit.
    result Write(const Osp::Base::ByteBuffer& buffer);
    result Write(const void* buffer, int length);

    // The stand-in's own: the real path of an application path, for readers
    // that open files themselves (the XML parser). Same refusals as Construct.
    static result ToSystemPath(const Osp::Base::String& filePath, std::string& systemPath);

private:
    result OpenToWrite(const std::string& relative, bool createParentDirectories);

    int fd_ = -1;
    bool writable_ = false;
    // Writing: the folder the file goes into, the file's name there and the
    // temporary name the bytes go to until the file is closed.
    int folderFd_ = -1;
    std::string name_;
    std::string temporaryName_;
    bool writeFailed_ = false;
};

} // namespace Osp::Io
