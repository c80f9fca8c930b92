#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"

#include <cstdint>
#include <vector>

namespace Osp::Base {

using byte = std::uint8_t;

// A byte array with a position and a limit; the bytes that matter lie
// between the two.
class ByteBuffer : public Object {
public:
    ByteBuffer();
    ~ByteBuffer() override;
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    result Construct(int capacity);
    // Copies `length` bytes from `data + index` at the position and advances it.
    result SetArray(const byte* data, int index, int length);
    void Flip();

    const byte* GetPointer() const { return data_.data(); }
    int GetLimit() const { return limit_; }
    int GetPosition() const { return position_; }
    int GetRemaining() const { return limit_ - position_; }
    result SetLimit(int limit);
    result SetPosition(int position);

private:
    std::vector<byte> data_;
    int position_ = 0;
    int limit_ = 0;
    bool constructed_ = false;
};

} // namespace Osp::Base
