#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"

namespace Osp::Base::Collection {

// A list of object pointers. Whether the list owns them is the caller's
// word: RemoveAll(true) deletes them.
class IList : public Object {
public:
    ~IList() override = default;
    virtual result Add(const Object& obj) = 0;
    virtual Object* GetAt(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual void RemoveAll(bool deleteObjects) = 0;
};

} // namespace Osp::Base::Collection
