#include "platform/base/ArrayList.h"

namespace Osp::Base::Collection {

ArrayList::ArrayList() = default;
ArrayList::~ArrayList() = default;

result ArrayList::Construct(int capacity) {
    if (capacity < 0) {
        return E_INVALID_ARG;
    }
    items_.reserve(static_cast<std::size_t>(capacity));
    return E_SUCCESS;
}

result ArrayList::Add(const Object& obj) {
    items_.push_back(const_cast<Object*>(&obj));
    return E_SUCCESS;
}

Object* ArrayList::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        SetLastResult(E_OUT_OF_RANGE);
        return nullptr;
    }
    SetLastResult(E_SUCCESS);
    return items_[static_cast<std::size_t>(index)];
}

void ArrayList::RemoveAll(bool deleteObjects) {
    if (deleteObjects) {
        for (Object* obj : items_) {
            delete obj;
        }
    }
    items_.clear();
}

} // namespace Osp::Base::Collection
