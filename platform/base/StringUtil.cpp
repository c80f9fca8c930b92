#include "platform/base/StringUtil.h"

#include "platform/base/Utf8.h"

namespace Osp::Base::Utility {

result StringUtil::Utf8ToString(const char* utf8, String& out) {
    if (utf8 == nullptr) {
        return E_INVALID_ARG;
    }
    auto converted = pregonero::text::Utf8ToUtf16Strict(utf8);
    if (!converted) {
        return E_INVALID_ENCODING_RANGE;
    }
    out = String(std::move(*converted));
    return E_SUCCESS;
}

} // namespace Osp::Base::Utility
