#include "platform/ui/CustomListItem.h"

#include "platform/base/JsonWriter.h"
#include "platform/graphics/TextMeasure.h"

#include <algorithm>

#include <utility>

namespace Osp::Ui::Controls {

using Osp::Graphics::Rectangle;

CustomListItem::CustomListItem() = default;
CustomListItem::~CustomListItem() = default;

result CustomListItem::Construct(int itemHeight) {
    if (itemHeight <= 0) {
        return E_INVALID_ARG;
    }
    height_ = itemHeight;
    return E_SUCCESS;
}

result CustomListItem::SetItemFormat(const CustomListItemFormat& itemFormat) {
    if (!IsConstructed()) {
        return E_INVALID_STATE;
    }
    // Copying the layout once here spares the list any per-frame lookups and
    // lets rows of one class carry different layouts.
    elements_.clear();
    for (const auto& slot : itemFormat.Elements()) {
        elements_.push_back(Element{slot, ElementKind::Empty, {}, {}, {}, nullptr});
    }
    return E_SUCCESS;
}

const CustomListItem::Element* CustomListItem::Find(int elementId) const {
    for (const Element& e : elements_) {
        if (e.slot.id == elementId) {
            return &e;
        }
    }
    return nullptr;
}

CustomListItem::Element* CustomListItem::Find(int elementId) {
    return const_cast<Element*>(std::as_const(*this).Find(elementId));
}

result CustomListItem::SetElement(int elementId, const Osp::Base::String& text) {
    Element* e = Find(elementId);
    if (e == nullptr) {
        return E_INVALID_ARG;
    }
    e->kind = ElementKind::Text;
    e->utf8 = text.ToUtf8();
    e->normal = {};
    e->focused = {};
    e->custom = nullptr;
    return E_SUCCESS;
}

result CustomListItem::SetElement(int elementId, const Osp::Graphics::Bitmap& normalBitmap,
                                  const Osp::Graphics::Bitmap* pFocusedBitmap) {
    Element* e = Find(elementId);
    if (e == nullptr || normalBitmap.IsEmpty()) {
        return E_INVALID_ARG;
    }
    // Bitmaps share their pixels, so keeping copies is cheap and outlives the
    // caller's objects.
    e->kind = ElementKind::Bitmap;
    e->utf8.clear();
    e->normal = normalBitmap;
    e->focused = pFocusedBitmap != nullptr ? *pFocusedBitmap : Osp::Graphics::Bitmap();
    e->custom = nullptr;
    return E_SUCCESS;
}

result CustomListItem::SetElement(int elementId, const ICustomListElement& element) {
    Element* e = Find(elementId);
    if (e == nullptr) {
        return E_INVALID_ARG;
    }
    e->kind = ElementKind::Custom;
    e->utf8.clear();
    e->normal = {};
    e->focused = {};
    // DrawElement is not const in the interface; the row only ever calls it.
    e->custom = const_cast<ICustomListElement*>(&element);
    return E_SUCCESS;
}

CustomListItem::ElementKind CustomListItem::GetElementKind(int elementId) const {
    const Element* e = Find(elementId);
    return e != nullptr ? e->kind : ElementKind::Empty;
}

const Osp::Graphics::Rectangle* CustomListItem::GetElementBounds(int elementId) const {
    const Element* e = Find(elementId);
    return e != nullptr ? &e->slot.rect : nullptr;
}

bool CustomListItem::IsElementEventEnabled(int elementId) const {
    const Element* e = Find(elementId);
    return e != nullptr && e->slot.eventEnabled;
}

void CustomListItem::PaintElements(const Osp::Graphics::Canvas& rowCanvas,
                                   CustomListItemStatus status) const {
    for (const Element& e : elements_) {
        PaintElement(e, rowCanvas, status);
    }
}

void CustomListItem::PaintElement(const Element& e, const Osp::Graphics::Canvas& canvas,
                                  CustomListItemStatus status) const {
    bool focused = status == CUSTOM_LIST_ITEM_STATUS_FOCUSED;
    switch (e.kind) {
    case ElementKind::Empty:
        return;
    case ElementKind::Custom:
        e.custom->DrawElement(canvas, e.slot.rect, status);
        return;
    case ElementKind::Bitmap:
        canvas.DrawBitmap(e.slot.rect, focused && !e.focused.IsEmpty() ? e.focused : e.normal);
        return;
    case ElementKind::Text: {
        pregonero::runtime::TextStyle style;
        style.size = e.slot.textSize;
        style.color = (focused ? e.slot.focusedTextColor : e.slot.normalTextColor).ToRgba();
        style.endsAtClip = EndsAtRow(e);
        canvas.DrawTextUtf8(TextBox(e), e.utf8, style);
        e.drawn = true;
        return;
    }
    }
}

Rectangle CustomListItem::TextBox(const Element& e) const {
    Rectangle box = e.slot.rect;
    box.height = std::max(0, std::min(box.height, height_ - box.y));
    return box;
}

bool CustomListItem::EndsAtRow(const Element& e) const {
    return e.slot.rect.y + e.slot.rect.height >= height_;
}

namespace {

const char* KindName(CustomListItem::ElementKind kind) {
    switch (kind) {
    case CustomListItem::ElementKind::Text:
        return "text";
    case CustomListItem::ElementKind::Bitmap:
        return "bitmap";
    case CustomListItem::ElementKind::Custom:
        return "custom";
    case CustomListItem::ElementKind::Empty:
        break;
    }
    return "empty";
}

void ColorArray(pregonero::text::JsonWriter& json, const Osp::Graphics::Color& c) {
    json.IntArray({c.GetRed(), c.GetGreen(), c.GetBlue(), c.GetAlpha()});
}

} // namespace

void CustomListItem::DescribeElements(pregonero::text::JsonWriter& json) const {
    json.BeginArray();
    for (const Element& e : elements_) {
        const Rectangle& r = e.slot.rect;
        json.BeginObject();
        json.Key("id").Int(e.slot.id);
        json.Key("kind").String(KindName(e.kind));
        json.Key("bounds").IntArray({r.x, r.y, r.width, r.height});
        if (!e.slot.eventEnabled) {
            json.Key("eventEnabled").Bool(false);
        }
        if (e.kind == ElementKind::Text) {
            json.Key("text").String(e.utf8);
            json.Key("textSize").Int(e.slot.textSize);
            json.Key("color");
            ColorArray(json, e.slot.normalTextColor);
            json.Key("focusedColor");
            ColorArray(json, e.slot.focusedTextColor);
            pregonero::runtime::TextFit fit;
            if (e.drawn) {
                pregonero::runtime::TextStyle style;
                style.size = e.slot.textSize;
                style.endsAtClip = EndsAtRow(e);
                fit = Osp::Graphics::TextMeasure::Fit(e.utf8, TextBox(e), style);
            }
            json.Key("lines").Int(fit.lines);
            json.Key("cut").Bool(fit.cut);
        } else if (e.kind == ElementKind::Bitmap) {
            json.Key("bitmap").BeginObject();
            json.Key("width").Int(e.normal.GetWidth());
            json.Key("height").Int(e.normal.GetHeight());
            json.Key("format").String(e.normal.GetPixelColorFormat() ==
                                              Osp::Graphics::BITMAP_PIXEL_FORMAT_RGB565
                                          ? "RGB565"
                                          : "ARGB8888");
            json.EndObject();
        }
        json.EndObject();
    }
    json.EndArray();
}

} // namespace Osp::Ui::Controls
