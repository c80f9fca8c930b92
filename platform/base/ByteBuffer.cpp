#include "platform/base/ByteBuffer.h"

#include <cstring>
#include <new>

namespace Osp::Base {

ByteBuffer::ByteBuffer() = default;
ByteBuffer::~ByteBuffer() = default;

result ByteBuffer::Construct(int capacity) {
    if (constructed_) {
        return E_INVALID_STATE;
    }
    if (capacity < 0) {
        return E_INVALID_ARG;
    }
    try {
        data_.assign(static_cast<std::size_t>(capacity), 0);
    } catch (const std::bad_alloc&) {
        return E_OUT_OF_MEMORY;
    }
    constructed_ = true;
    position_ = 0;
    limit_ = capacity;
    return E_SUCCESS;
}

result ByteBuffer::SetArray(const byte* data, int index, int length) {
    if (data == nullptr || index < 0 || length < 0) {
        return E_INVALID_ARG;
    }
    if (length > GetRemaining()) {
        return E_OVERFLOW;
    }
    if (length == 0) {
        return E_SUCCESS; // an empty buffer may have no storage to copy into
    }
    std::memcpy(data_.data() + position_, data + index, static_cast<std::size_t>(length));
    position_ += length;
    return E_SUCCESS;
}

void ByteBuffer::Flip() {
    limit_ = position_;
    position_ = 0;
}

result ByteBuffer::SetLimit(int limit) {
    if (limit < 0 || limit > static_cast<int>(data_.size())) {
        return E_OUT_OF_RANGE;
    }
    limit_ = limit;
    if (position_ > limit_) {
        position_ = limit_;
    }
    return E_SUCCESS;
}

result ByteBuffer::SetPosition(int position) {
    if (position < 0 || position > limit_) {
        return E_OUT_OF_RANGE;
    }
    position_ = position;
    return E_SUCCESS;
}

} // namespace Osp::Base
