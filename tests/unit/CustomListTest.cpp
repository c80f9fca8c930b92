#include "platform/ui/CustomList.h"

#include "rows/ElementBackground.h"
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Osp::Ui::Controls;
using Osp::Graphics::Canvas;
using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;
using pregonero::ui::Key;

namespace {

// Counts its draws and paints its rectangle red.
class ProbeElement : public ICustomListElement {
public:
    result DrawElement(const Canvas& canvas, const Rectangle& rect,
                       CustomListItemStatus status) override {
        ++draws;
        lastStatus = status;
        return canvas.FillRectangle(Color(255, 0, 0), rect);
    }
    int draws = 0;
    CustomListItemStatus lastStatus = CUSTOM_LIST_ITEM_STATUS_NORMAL;
};

// A row `height` high whose one custom element reaches `reach` pixels down.
CustomListItem* MakeRow(int height, const ICustomListElement* element = nullptr, int reach = 0) {
    auto* item = new CustomListItem();
    item->Construct(height);
    CustomListItemFormat format;
    format.Construct();
    format.AddElement(1, Rectangle(0, 0, 480, reach > 0 ? reach : height));
    item->SetItemFormat(format);
    if (element != nullptr) {
        item->SetElement(1, *element);
    }
    return item;
}

std::unique_ptr<CustomList> MakeList(int height, int rows, int rowHeight) {
    auto list = std::make_unique<CustomList>();
    list->Construct(Rectangle(0, 0, 480, height), CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < rows; ++i) {
        list->AddItem(*MakeRow(rowHeight), 500 + i);
    }
    return list;
}

// Writes down "index:itemId" of each selection from `source`.
class RecordingListener : public Osp::Ui::ICustomItemEventListener {
public:
    void OnItemStateChanged(const Osp::Ui::Control& from, int index, int itemId,
                            Osp::Ui::ItemStatus status) override {
        EXPECT_EQ(&from, source);
        EXPECT_EQ(status, Osp::Ui::ITEM_SELECTED);
        calls.push_back(std::to_string(index) + ":" + std::to_string(itemId));
        if (onSelect) {
            onSelect();
        }
    }
    void OnItemStateChanged(const Osp::Ui::Control&, int, int, int, Osp::Ui::ItemStatus) override {}
    const Osp::Ui::Control* source = nullptr;
    std::vector<std::string> calls;
    std::function<void()> onSelect;
};

std::uint32_t PixelAt(const pregonero::runtime::Framebuffer& fb, int x, int y) {
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, fb.Data() + y * fb.Stride() + x * 4, 4);
    return pixel & 0xFFFFFFu;
}

} // namespace

TEST(CustomListTest, SelectionReachesListenersOnceAndStopsWhenAHandlerDestroysTheList) {
    auto list = MakeList(400, 4, 100);
    RecordingListener first, second;
    first.source = second.source = list.get();
    list->AddCustomItemEventListener(first);
    list->AddCustomItemEventListener(second);
    list->AddCustomItemEventListener(first); // once is enough
    EXPECT_TRUE(list->ActivateRowAt(2));
    EXPECT_EQ(2, list->GetFocusedIndex());
    EXPECT_FALSE(list->ActivateRowAt(4));
    EXPECT_FALSE(list->ActivateRowAt(-1));
    list->HandleKey(Key::Up);
    EXPECT_TRUE(list->HandleKey(Key::Enter)); // Enter selects the focused row
    EXPECT_EQ(first.calls, (std::vector<std::string>{"2:502", "1:501"}));
    EXPECT_EQ(second.calls, first.calls);

    // A handler that destroys the list (a screen switch) ends the delivery.
    first.onSelect = [&list] { list.reset(); };
    EXPECT_TRUE(list->ActivateRowAt(0));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(3u, first.calls.size());
    EXPECT_EQ(2u, second.calls.size());
}

TEST(CustomListTest, KeysMoveTheFocusAndScrollToKeepItVisible) {
    CustomList empty;
    empty.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    EXPECT_FALSE(empty.HandleKey(Key::Down)); // nothing to move through

    auto list = MakeList(400, 10, 176);        // rows end at 176, 352, 528, ... 1760
    EXPECT_FALSE(list->HandleKey(Key::Enter)); // nothing focused yet
    const struct {
        Key key;
        int times, focus, scroll;
    } steps[] = {
        {Key::Down, 1, 0, 0},        {Key::Down, 1, 1, 0},
        {Key::Down, 1, 2, 128}, // bottom of row 2 at the bottom edge
        {Key::Up, 2, 0, 0},     // top of row 0 back at the top edge
        {Key::Up, 1, 0, 0},          {Key::PageDown, 1, 3, 400}, // first row starting in view
        {Key::PageDown, 5, 9, 1360},                             // never past the end
        {Key::Down, 1, 9, 1360},     {Key::PageUp, 6, 0, 0},
    };
    for (const auto& step : steps) {
        for (int i = 0; i < step.times; ++i) {
            list->HandleKey(step.key);
        }
        EXPECT_EQ(step.focus, list->GetFocusedIndex()) << list->GetScrollY();
        EXPECT_EQ(step.scroll, list->GetScrollY()) << step.focus;
    }
    list->ActivateRowAt(7); // selecting a far row scrolls it into view
    EXPECT_EQ(1408 - 400, list->GetScrollY());

    // Down reads through a row taller than the view before moving on.
    CustomList tall;
    tall.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    tall.AddItem(*MakeRow(1000), 0);
    tall.AddItem(*MakeRow(100), 1);
    const struct {
        Key key;
        int focus, scroll;
    } reading[] = {{Key::Down, 0, 0},   {Key::Down, 0, 200},
                   {Key::Down, 0, 400}, {Key::Down, 0, 600},
                   {Key::Down, 1, 700}, {Key::Up, 0, 600}}; // coming back from below shows its end
    for (const auto& step : reading) {
        tall.HandleKey(step.key);
        EXPECT_EQ(step.focus, tall.GetFocusedIndex());
        EXPECT_EQ(step.scroll, tall.GetScrollY());
    }
}

TEST(CustomListTest, PaintsOnlyTheRowsInViewClippedToTheirRowsWithTheFocusHighlighted) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 200), CUSTOM_LIST_STYLE_NORMAL, true);
    std::vector<std::unique_ptr<ProbeElement>> probes;
    for (int i = 0; i < 100; ++i) {
        probes.push_back(std::make_unique<ProbeElement>());
        list.AddItem(*MakeRow(50, probes.back().get()), i);
    }
    list.SetScrollY(1025); // rows 20 (partly) to 24 (partly) are in view
    list.SetFocusedIndex(22);
    EXPECT_EQ(1025, list.GetScrollY());
    pregonero::runtime::Framebuffer fb;
    pregonero::runtime::TextLayoutCache layouts;
    auto paint = [&](CustomList& l, int y) {
        pregonero::runtime::CairoPainter painter(fb, layouts);
        l.Paint(Canvas(painter, 0, y));
    };
    paint(list, 0);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(i >= 20 && i <= 24 ? 1 : 0, probes[i]->draws) << "row " << i;
    }
    EXPECT_EQ(CUSTOM_LIST_ITEM_STATUS_FOCUSED, probes[22]->lastStatus);
    EXPECT_EQ(CUSTOM_LIST_ITEM_STATUS_NORMAL, probes[21]->lastStatus);

    // An element reaching 250 pixels past its row is cut at the row's edge.
    CustomList clipped;
    clipped.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, false);
    ProbeElement red;
    clipped.AddItem(*MakeRow(50, &red, 300), 0);
    clipped.AddItem(*MakeRow(50), 1);
    clipped.SetFocusedIndex(1);
    paint(clipped, 20);
    EXPECT_EQ(0xFF0000u, PixelAt(fb, 10, 20 + 49));
    const std::uint32_t highlight = PixelAt(fb, 10, 20 + 60);
    EXPECT_NE(0xFFFFFFu, highlight);
    EXPECT_GT(highlight & 0xFFu, (highlight >> 16) & 0xFFu); // bluish
    EXPECT_EQ(0xFFFFFFu, PixelAt(fb, 10, 20 + 200));         // list background

    // A background element fills its colour whatever the row's state, relative
    // to the canvas origin, and refuses a negative size.
    pregonero::runtime::CairoPainter painter(fb, layouts);
    const Canvas canvas(painter, 0, 500);
    ElementBackground fill;
    Color green(0, 200, 0);
    EXPECT_EQ(E_SUCCESS, fill.Construct(green));
    EXPECT_EQ(E_SUCCESS,
              fill.DrawElement(canvas, Rectangle(10, 0, 10, 10), CUSTOM_LIST_ITEM_STATUS_FOCUSED));
    EXPECT_EQ(0x00C800u, PixelAt(fb, 15, 505));
    EXPECT_EQ(0x000000u, PixelAt(fb, 15, 495));
    EXPECT_EQ(E_INVALID_ARG,
              fill.DrawElement(canvas, Rectangle(0, 0, -1, 5), CUSTOM_LIST_ITEM_STATUS_NORMAL));
}
