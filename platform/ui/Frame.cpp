#include "platform/ui/Frame.h"

#include "platform/ui/Form.h"

namespace Osp::Ui::Controls {

Frame::Frame() {
    SetBounds(0, 0, FormMetrics::kScreenWidth, FormMetrics::kScreenHeight);
}

Frame::~Frame() {
    // Forms are told they are terminating before they go, as on removal.
    RemoveAllControls();
}

std::vector<Form*> Frame::GetForms() const {
    std::vector<Form*> forms;
    for (int i = 0; i < GetControlCount(); ++i) {
        if (auto* form = dynamic_cast<Form*>(GetControlAt(i))) {
            forms.push_back(form);
        }
    }
    return forms;
}

result Frame::SetCurrentForm(const Form& form) {
    if (GetControlIndex(form) < 0) {
        return E_INVALID_ARG;
    }
    current_ = const_cast<Form*>(&form);
    RequestRedraw(true);
    return E_SUCCESS;
}

void Frame::OnChildAdded(Osp::Ui::Control& child) {
    auto* form = dynamic_cast<Form*>(&child);
    if (form == nullptr) {
        return;
    }
    if (current_ == nullptr) {
        current_ = form;
    }
    form->OnInitializing();
}

void Frame::OnChildRemoving(Osp::Ui::Control& child) {
    auto* form = dynamic_cast<Form*>(&child);
    if (form == nullptr) {
        return;
    }
    if (removalObserver_) {
        removalObserver_(*form);
    }
    form->OnTerminating();
    if (current_ == form) {
        current_ = nullptr;
        // Fall back to the most recently added other form.
        for (int i = GetControlCount() - 1; i >= 0; --i) {
            auto* other = dynamic_cast<Form*>(GetControlAt(i));
            if (other != nullptr && other != form) {
                current_ = other;
                break;
            }
        }
    }
}

void Frame::Paint(const Osp::Graphics::Canvas& canvas) const {
    canvas.GetPainter().FillRect({0, 0, FormMetrics::kScreenWidth, FormMetrics::kScreenHeight},
                                 {0, 0, 0, 255});
    if (current_ != nullptr && current_->GetShowState()) {
        current_->Paint(canvas);
    }
}

} // namespace Osp::Ui::Controls
