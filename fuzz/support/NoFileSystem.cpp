// The fuzz targets parse feeds from memory only. The feed file reader
// still names File::ToSystemPath, whose real body needs the whole runtime (the
// home directory); in these executables no application path maps anywhere.
#include "platform/io/File.h"

namespace Osp::Io {

result File::ToSystemPath(const Osp::Base::String&, std::string&) {
    return E_ILLEGAL_ACCESS;
}

} // namespace Osp::Io
