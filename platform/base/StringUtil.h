#pragma once

#include "platform/base/String.h"

namespace Osp::Base::Utility {

class StringUtil {
public:
    // Invalid UTF-8 is E_INVALID_ENCODING_RANGE and leaves `out` unchanged.
    static result Utf8ToString(const char* utf8, String& out);
};

} // namespace Osp::Base::Utility
