#pragma once

#include "platform/ui/Container.h"

#include <functional>
#include <vector>

namespace Osp::Ui::Controls {

class Form;

// The application's window: it owns the forms, shows one at a time, and runs
// a form's lifecycle as the form is added and removed.
class Frame : public Osp::Ui::Container {
public:
    Frame();
    ~Frame() override;

    result SetCurrentForm(const Form& form);
    Form* GetCurrentForm() const { return current_; }
    std::vector<Form*> GetForms() const;
    // Told of each form just before it is removed, while it still exists.
    void SetFormRemovalObserver(std::function<void(const Form& removing)> observer) {
        removalObserver_ = std::move(observer);
    }

    void Paint(const Osp::Graphics::Canvas& canvas) const override;
    const char* TypeName() const override { return "Frame"; }

protected:
    void OnChildAdded(Osp::Ui::Control& child) override;
    void OnChildRemoving(Osp::Ui::Control& child) override;

private:
    Form* current_ = nullptr;
    std::function<void(const Form&)> removalObserver_;
};

} // namespace Osp::Ui::Controls
