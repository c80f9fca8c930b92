#include "rows/RowResources.h"

RowResources::RowResources(RowClassSlots slots) : slots_(slots) {}

RowResources::~RowResources() {
    if (counted_) {
        --slots_.instances;
    }
    // The slots must never point at what this row is about to free.
    if (format_ != nullptr && slots_.itemFormat == format_.get()) {
        slots_.itemFormat = nullptr;
    }
    if (background_ != nullptr && slots_.background == background_.get()) {
        slots_.background = nullptr;
    }
    if (slots_.instances <= 0) {
        slots_.itemFormat = nullptr;
        slots_.background = nullptr;
    }
}

void RowResources::Count() {
    if (!counted_) {
        counted_ = true;
        ++slots_.instances;
    }
}

Osp::Ui::Controls::CustomListItemFormat& RowResources::NewFormat() {
    slots_.itemFormat = nullptr;
    format_ = std::make_unique<Osp::Ui::Controls::CustomListItemFormat>();
    slots_.itemFormat = format_.get();
    format_->Construct();
    return *format_;
}

ElementBackground& RowResources::NewBackground(Osp::Graphics::Color fill) {
    background_ = std::make_unique<ElementBackground>();
    slots_.background = background_.get();
    background_->Construct(fill);
    return *background_;
}
