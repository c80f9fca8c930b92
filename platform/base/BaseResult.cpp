#include "platform/base/BaseResult.h"

namespace {
thread_local result gLastResult = E_SUCCESS;
} // namespace

result GetLastResult() {
    return gLastResult;
}

void SetLastResult(result r) {
    gLastResult = r;
}
