#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/Object.h"
#include "platform/base/String.h"

#include <string>

namespace Osp::Io {

// A file inside the application's "/Home", which is the runtime's home
// directory: "/Home/Res/x.xml" is HOME/Res/x.xml. Every other path, and any
// path with a ".." segment, is refused with E_ILLEGAL_ACCESS. The file is
// closed when the object goes.
class File : public Osp::Base::Object {
public:
    File();
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // openMode: "r" reads; "w" writes, creating or truncating; anything
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
    int fd_ = -1;
    bool writable_ = false;
};

} // namespace Osp::Io
