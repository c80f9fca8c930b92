#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/CustomListItemFormat.h"
#include "rows/ElementBackground.h"

#include <memory>

// What one row class shares among its rows: the most recent row's format and
// background, and the number of live constructed rows.
struct RowClassSlots {
    Osp::Ui::Controls::CustomListItemFormat*& itemFormat;
    ElementBackground*& background;
    int& instances;
};

// The format and background one row made in its Construct. The row owns them
// and frees them when it goes, so no row's layout outlives it; the class-wide
// slots only point at the most recent row's pair and are cleared when that
// row, or the last row of the class, is destroyed.
class RowResources {
public:
    explicit RowResources(RowClassSlots slots);
    ~RowResources();
    RowResources(const RowResources&) = delete;
    RowResources& operator=(const RowResources&) = delete;

    // Counts the row once, however often it is constructed.
    void Count();
    // A fresh format, published in the class-wide slot and constructed.
    Osp::Ui::Controls::CustomListItemFormat& NewFormat();
    // A fresh background with `fill`, published in the class-wide slot.
    ElementBackground& NewBackground(Osp::Graphics::Color fill);

private:
    RowClassSlots slots_;
    bool counted_ = false;
    std::unique_ptr<Osp::Ui::Controls::CustomListItemFormat> format_;
    std::unique_ptr<ElementBackground> background_;
};
