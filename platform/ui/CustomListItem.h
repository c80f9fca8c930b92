#pragma once

#include "platform/base/String.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/CustomListItemFormat.h"
#include "platform/ui/ICustomListElement.h"

#include <string>
#include <vector>

namespace pregonero::text {
class JsonWriter;
}

namespace Osp::Ui::Controls {

// One row of a CustomList: a height, the element layout copied from a format,
// and what was set into each element. The row keeps no pointer to the format,
// so the format's owner may free it at any time; custom elements are not
// owned and must outlive the row's last paint.
class CustomListItem : public Osp::Base::Object {
public:
    enum class ElementKind { Empty, Text, Bitmap, Custom };

    CustomListItem();
    ~CustomListItem() override;
    CustomListItem(const CustomListItem&) = delete;
    CustomListItem& operator=(const CustomListItem&) = delete;

    // Fails with E_INVALID_ARG for a height of 0 or less.
    result Construct(int itemHeight);
    result SetItemFormat(const CustomListItemFormat& itemFormat);
    result SetElement(int elementId, const Osp::Base::String& text);
    result SetElement(int elementId, const Osp::Graphics::Bitmap& normalBitmap,
                      const Osp::Graphics::Bitmap* pFocusedBitmap);
    result SetElement(int elementId, const ICustomListElement& element);

    // The stand-in's own: what the list needs to lay out, draw and describe.
    int GetHeight() const { return height_; }
    bool IsConstructed() const { return height_ > 0; }
    ElementKind GetElementKind(int elementId) const;
    // Rectangle of the element as laid out, or null when the row has no such element.
    const Osp::Graphics::Rectangle* GetElementBounds(int elementId) const;
    bool IsElementEventEnabled(int elementId) const;
    void PaintElements(const Osp::Graphics::Canvas& rowCanvas, CustomListItemStatus status) const;
    void DescribeElements(pregonero::text::JsonWriter& json) const;

private:
    friend class CustomList;
    struct Element {
        CustomListItemFormat::ElementSlot slot;
        ElementKind kind = ElementKind::Empty;
        std::string utf8; // converted once, drawn every frame
        Osp::Graphics::Bitmap normal;
        Osp::Graphics::Bitmap focused;
        ICustomListElement* custom = nullptr;
        // Set when the row is drawn, so the snapshot measures only what was
        // drawn: laying out every row of a long list would take seconds.
        mutable bool drawn = false;
    };
    Element* Find(int elementId);
    const Element* Find(int elementId) const;
    void PaintElement(const Element& e, const Osp::Graphics::Canvas& canvas,
                      CustomListItemStatus status) const;
    // A text's box ends where the row ends, so its last line that shows is
    // the one that carries the ellipsis.
    Osp::Graphics::Rectangle TextBox(const Element& e) const;
    bool EndsAtRow(const Element& e) const;

    int height_ = 0;
    bool inList_ = false; // a list owns it: a second AddItem would double-free
    std::vector<Element> elements_;
};

} // namespace Osp::Ui::Controls
