#include "net/FeedServerAddress.h"

#include "platform/runtime/Runtime.h"

Osp::Base::String FeedServerAddress() {
    if (!pregonero::runtime::Runtime::Exists()) {
        return Osp::Base::String();
    }
    return Osp::Base::String(pregonero::runtime::Runtime::Get().Settings().feedServer.c_str());
}
