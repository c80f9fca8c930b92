#pragma once

#include "platform/base/IList.h"

#include <vector>

namespace Osp::Base::Collection {

class ArrayList : public IList {
public:
    ArrayList();
    ~ArrayList() override; // does not delete the elements
    ArrayList(const ArrayList&) = delete;
    ArrayList& operator=(const ArrayList&) = delete;

    result Construct(int capacity = 10);
    result Add(const Object& obj) override;
    Object* GetAt(int index) const override;
    int GetCount() const override { return static_cast<int>(items_.size()); }
    void RemoveAll(bool deleteObjects) override;

private:
    std::vector<Object*> items_;
};

} // namespace Osp::Base::Collection
