#include "platform/ui/Control.h"

#include "platform/base/JsonWriter.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/Container.h"

namespace Osp::Ui {

using pregonero::runtime::Runtime;

Control::Control() : self_(std::make_shared<Control*>(this)) {}

Control::~Control() = default;

result Control::SetName(const Osp::Base::String& name) {
    name_ = name;
    return E_SUCCESS;
}

result Control::SetBounds(const Osp::Graphics::Rectangle& rect) {
    if (rect.width < 0 || rect.height < 0) {
        return E_INVALID_ARG;
    }
    bounds_ = rect;
    return E_SUCCESS;
}

result Control::SetBounds(int x, int y, int width, int height) {
    return SetBounds(Osp::Graphics::Rectangle(x, y, width, height));
}

result Control::SetShowState(bool state) {
    shown_ = state;
    return E_SUCCESS;
}

result Control::Draw() {
    RequestRedraw(true);
    return E_SUCCESS;
}

result Control::Show() {
    RequestRedraw(true);
    return E_SUCCESS;
}

void Control::RequestRedraw(bool) const {
    if (Runtime::Exists()) {
        Runtime::Get().Loop().RequestRedraw();
    }
}

result Control::SendUserEvent(RequestId requestId, const Osp::Base::Collection::IList* args) const {
    if (!Runtime::Exists()) {
        return E_INVALID_STATE;
    }
    std::weak_ptr<Control*> target = self_;
    auto* list = const_cast<Osp::Base::Collection::IList*>(args);
    Runtime::Get().Loop().Post([target, requestId, list] {
        if (auto alive = target.lock()) {
            (*alive)->OnUserEventReceivedN(requestId, list);
        }
    });
    return E_SUCCESS;
}

void Control::OnUserEventReceivedN(RequestId, Osp::Base::Collection::IList*) {}

void Control::Paint(const Osp::Graphics::Canvas&) const {}

void Control::DescribeCommon(pregonero::text::JsonWriter& json) const {
    json.Key("type").String(TypeName());
    json.Key("name").String(name_.ToUtf8());
    json.Key("bounds").IntArray({bounds_.x, bounds_.y, bounds_.width, bounds_.height});
    json.Key("visible").Bool(shown_);
}

void Control::Describe(pregonero::text::JsonWriter& json) const {
    json.BeginObject();
    DescribeCommon(json);
    json.EndObject();
}

bool Control::HandleKey(pregonero::ui::Key) {
    return false;
}

bool Control::ActivateRowAt(int) {
    return false;
}

bool Control::HandlePointer(const pregonero::ui::PointerEvent&) {
    return false;
}

Osp::Graphics::Point Control::ScreenOrigin() const {
    Osp::Graphics::Point origin(bounds_.x, bounds_.y);
    if (parent_ != nullptr) {
        Osp::Graphics::Point base = parent_->ChildOrigin();
        origin.x += base.x;
        origin.y += base.y;
    }
    return origin;
}

} // namespace Osp::Ui
