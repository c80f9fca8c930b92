#include "platform/base/Object.h"

#include <cstdint>

namespace Osp::Base {

Object::~Object() = default;

bool Object::Equals(const Object& obj) const {
    return this == &obj;
}

int Object::GetHashCode() const {
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(this) >> 4);
}

} // namespace Osp::Base
