#pragma once

namespace Osp::Base::Runtime {

// Marker base of every platform listener interface.
class IEventListener {
public:
    virtual ~IEventListener() = default;
};

} // namespace Osp::Base::Runtime
