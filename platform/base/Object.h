#pragma once

namespace Osp::Base {

class Object {
public:
    Object() = default;
    virtual ~Object();
    virtual bool Equals(const Object& obj) const;
    virtual int GetHashCode() const;
};

} // namespace Osp::Base
