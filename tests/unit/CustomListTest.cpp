#include "platform/ui/CustomList.h"

#include "platform/base/JsonWriter.h"
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace Osp::Ui::Controls;
using Osp::Graphics::Canvas;
using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;
using pregonero::ui::Key;

namespace {

// Counts its draws and, when told, paints its rectangle in one colour.
class ProbeElement : public ICustomListElement {
public:
    explicit ProbeElement(Color fill = Color(255, 0, 0)) : fill_(fill) {}
    result DrawElement(const Canvas& canvas, const Rectangle& rect,
                       CustomListItemStatus status) override {
        ++draws;
        lastStatus = status;
        return canvas.FillRectangle(fill_, rect);
    }
    int draws = 0;
    CustomListItemStatus lastStatus = CUSTOM_LIST_ITEM_STATUS_NORMAL;

private:
    Color fill_;
};

class CountedItem : public CustomListItem {
public:
    explicit CountedItem(int* destroyed) : destroyed_(destroyed) {}
    ~CountedItem() override { ++*destroyed_; }

private:
    int* destroyed_;
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

struct Selection {
    const Osp::Ui::Control* source;
    int index;
    int itemId;
    Osp::Ui::ItemStatus status;
};

class RecordingListener : public Osp::Ui::ICustomItemEventListener {
public:
    void OnItemStateChanged(const Osp::Ui::Control& source, int index, int itemId,
                            Osp::Ui::ItemStatus status) override {
        calls.push_back({&source, index, itemId, status});
        if (onSelect) {
            onSelect();
        }
    }
    void OnItemStateChanged(const Osp::Ui::Control&, int, int, int, Osp::Ui::ItemStatus) override {}
    std::vector<Selection> calls;
    std::function<void()> onSelect;
};

std::uint32_t PixelAt(const pregonero::runtime::Framebuffer& fb, int x, int y) {
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, fb.Data() + y * fb.Stride() + x * 4, 4);
    return pixel & 0xFFFFFFu;
}

} // namespace

TEST(CustomListTest, OwnsItsRowsAndFindsThemByPosition) {
    int destroyed = 0;
    {
        CustomList list;
        list.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
        std::vector<CountedItem*> rows;
        for (int i = 0; i < 3; ++i) {
            rows.push_back(new CountedItem(&destroyed));
            rows.back()->Construct(100 + i);
            EXPECT_EQ(E_SUCCESS, list.AddItem(*rows.back(), 10 + i));
        }
        // A row never constructed, or already owned, is refused.
        CountedItem bare(&destroyed);
        EXPECT_EQ(E_INVALID_ARG, list.AddItem(bare, 99));
        EXPECT_EQ(E_INVALID_ARG, list.AddItem(*rows[0], 99));

        EXPECT_EQ(3, list.GetItemCount());
        EXPECT_EQ(rows[1], list.GetItemAt(1));
        EXPECT_EQ(12, list.GetItemIdAt(2));
        EXPECT_EQ(nullptr, list.GetItemAt(3));
        EXPECT_EQ(nullptr, list.GetItemAt(-1));
        EXPECT_EQ(303, list.GetContentHeight());

        list.RemoveAllItems();
        EXPECT_EQ(3, destroyed);
        EXPECT_EQ(0, list.GetItemCount());
        EXPECT_EQ(0, list.GetContentHeight());
        EXPECT_EQ(-1, list.GetFocusedIndex());

        auto* last = new CountedItem(&destroyed);
        last->Construct(50);
        list.AddItem(*last, 1);
        destroyed = 0;
    } // the list destroys the row it still holds, and `bare`
    EXPECT_EQ(2, destroyed);
}

TEST(CustomListTest, SelectionReachesListenersWithPositionAndItemId) {
    auto list = std::make_unique<CustomList>();
    list->Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < 4; ++i) {
        list->AddItem(*MakeRow(100), 500 + i);
    }
    RecordingListener first;
    RecordingListener second;
    list->AddCustomItemEventListener(first);
    list->AddCustomItemEventListener(second);
    list->AddCustomItemEventListener(first); // once is enough

    EXPECT_TRUE(list->ActivateRowAt(2));
    ASSERT_EQ(1u, first.calls.size());
    EXPECT_EQ(list.get(), first.calls[0].source);
    EXPECT_EQ(2, first.calls[0].index);
    EXPECT_EQ(502, first.calls[0].itemId);
    EXPECT_EQ(Osp::Ui::ITEM_SELECTED, first.calls[0].status);
    EXPECT_EQ(1u, second.calls.size());
    EXPECT_EQ(2, list->GetFocusedIndex());

    EXPECT_FALSE(list->ActivateRowAt(4));
    EXPECT_FALSE(list->ActivateRowAt(-1));

    // Enter selects the focused row.
    list->HandleKey(Key::Up);
    EXPECT_TRUE(list->HandleKey(Key::Enter));
    ASSERT_EQ(2u, first.calls.size());
    EXPECT_EQ(1, first.calls[1].index);
    EXPECT_EQ(501, first.calls[1].itemId);

    // A handler that destroys the list (a screen switch) ends the delivery.
    first.onSelect = [&list] { list.reset(); };
    EXPECT_TRUE(list->ActivateRowAt(0));
    EXPECT_EQ(nullptr, list);
    EXPECT_EQ(3u, first.calls.size());
    EXPECT_EQ(2u, second.calls.size());
}

TEST(CustomListTest, KeysMoveTheFocusAndScrollToKeepItVisible) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    EXPECT_FALSE(list.HandleKey(Key::Down)); // nothing to move through
    for (int i = 0; i < 10; ++i) {
        list.AddItem(*MakeRow(176), i);
    }
    EXPECT_FALSE(list.HandleKey(Key::Enter)); // nothing focused yet
    EXPECT_TRUE(list.HandleKey(Key::Down));
    EXPECT_EQ(0, list.GetFocusedIndex());
    EXPECT_EQ(0, list.GetScrollY());
    list.HandleKey(Key::Down);
    EXPECT_EQ(0, list.GetScrollY()); // row 1 ends at 352, still in view
    list.HandleKey(Key::Down);
    EXPECT_EQ(2, list.GetFocusedIndex());
    EXPECT_EQ(528 - 400, list.GetScrollY()); // bottom of row 2 at the bottom edge
    list.HandleKey(Key::Up);
    list.HandleKey(Key::Up);
    EXPECT_EQ(0, list.GetFocusedIndex());
    EXPECT_EQ(0, list.GetScrollY()); // top of row 0 back at the top edge
    list.HandleKey(Key::Up);
    EXPECT_EQ(0, list.GetFocusedIndex());

    list.HandleKey(Key::PageDown);
    EXPECT_EQ(400, list.GetScrollY());
    EXPECT_EQ(3, list.GetFocusedIndex()); // first row that starts in view (528)
    for (int i = 0; i < 5; ++i) {
        list.HandleKey(Key::PageDown);
    }
    EXPECT_EQ(1760 - 400, list.GetScrollY()); // never past the end
    EXPECT_EQ(9, list.GetFocusedIndex());
    list.HandleKey(Key::Down);
    EXPECT_EQ(9, list.GetFocusedIndex());
    for (int i = 0; i < 6; ++i) {
        list.HandleKey(Key::PageUp);
    }
    EXPECT_EQ(0, list.GetScrollY());
    EXPECT_EQ(0, list.GetFocusedIndex());

    // Selecting a far row scrolls it into view.
    list.ActivateRowAt(7);
    EXPECT_EQ(1408 - 400, list.GetScrollY());
}

TEST(CustomListTest, DownReadsThroughARowTallerThanTheView) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    list.AddItem(*MakeRow(1000), 0);
    list.AddItem(*MakeRow(100), 1);
    list.HandleKey(Key::Down);
    EXPECT_EQ(0, list.GetFocusedIndex());
    list.HandleKey(Key::Down);
    EXPECT_EQ(0, list.GetFocusedIndex());
    EXPECT_EQ(200, list.GetScrollY());
    list.HandleKey(Key::Down);
    list.HandleKey(Key::Down);
    EXPECT_EQ(600, list.GetScrollY()); // bottom of the tall row reached
    list.HandleKey(Key::Down);
    EXPECT_EQ(1, list.GetFocusedIndex());
    EXPECT_EQ(700, list.GetScrollY());
    list.HandleKey(Key::Up);
    EXPECT_EQ(0, list.GetFocusedIndex());
    EXPECT_EQ(600, list.GetScrollY()); // coming back from below shows its end
}

TEST(CustomListTest, PaintsOnlyTheRowsInView) {
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
    pregonero::runtime::CairoPainter painter(fb, layouts);
    list.Paint(Canvas(painter, 0, 0));
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(i >= 20 && i <= 24 ? 1 : 0, probes[i]->draws) << "row " << i;
    }
    EXPECT_EQ(CUSTOM_LIST_ITEM_STATUS_FOCUSED, probes[22]->lastStatus);
    EXPECT_EQ(CUSTOM_LIST_ITEM_STATUS_NORMAL, probes[21]->lastStatus);
}

TEST(CustomListTest, ClipsElementsToTheirRowAndHighlightsTheFocusedRow) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 400), CUSTOM_LIST_STYLE_NORMAL, false);
    ProbeElement red(Color(255, 0, 0));
    list.AddItem(*MakeRow(50, &red, 300), 0); // reaches 250 pixels past its row
    list.AddItem(*MakeRow(50), 1);
    pregonero::runtime::Framebuffer fb;
    pregonero::runtime::TextLayoutCache layouts;
    {
        pregonero::runtime::CairoPainter painter(fb, layouts);
        list.Paint(Canvas(painter, 0, 20));
    }
    EXPECT_EQ(0xFF0000u, PixelAt(fb, 10, 20 + 49));
    EXPECT_EQ(0xFFFFFFu, PixelAt(fb, 10, 20 + 50)); // just below the row: list background
    EXPECT_EQ(0xFFFFFFu, PixelAt(fb, 10, 20 + 200));

    list.SetFocusedIndex(1);
    {
        pregonero::runtime::CairoPainter painter(fb, layouts);
        list.Paint(Canvas(painter, 0, 20));
    }
    std::uint32_t highlight = PixelAt(fb, 10, 20 + 60);
    EXPECT_NE(0xFFFFFFu, highlight);
    EXPECT_GT(highlight & 0xFFu, (highlight >> 16) & 0xFFu); // bluish
    EXPECT_EQ(0xFF0000u, PixelAt(fb, 10, 20 + 10));
}

TEST(CustomListTest, DescribesRowsAndElementsForTheSnapshot) {
    CustomList list;
    list.Construct(Rectangle(0, 50, 480, 400), CUSTOM_LIST_STYLE_NORMAL, true);
    auto* item = new CustomListItem();
    item->Construct(176);
    CustomListItemFormat format;
    format.Construct();
    format.AddElement(104, Rectangle(0, 0, 480, 176));
    format.AddElement(101, Rectangle(0, 0, 303, 60), 28, Color(67, 168, 224), Color::COLOR_WHITE);
    format.AddElement(105, Rectangle(304, 0, 176, 176), 28, Color::COLOR_BLACK, Color::COLOR_WHITE);
    format.AddElement(106, Rectangle(0, 0, 10, 10), 28, Color::COLOR_BLACK, Color::COLOR_WHITE);
    EXPECT_EQ(E_INVALID_ARG, format.AddElement(106, Rectangle(0, 0, 1, 1)));
    item->SetItemFormat(format);
    ProbeElement probe;
    EXPECT_EQ(E_SUCCESS, item->SetElement(104, probe));
    EXPECT_EQ(E_SUCCESS, item->SetElement(101, Osp::Base::String("Título \"uno\"")));
    EXPECT_EQ(E_INVALID_ARG, item->SetElement(107, Osp::Base::String("no such element")));
    auto pixels = std::make_shared<pregonero::runtime::PixelBuffer>();
    pixels->width = 176;
    pixels->height = 176;
    pixels->stride = 176 * 2;
    pixels->format = pregonero::runtime::PixelFormat::Rgb565;
    pixels->pixels.resize(176 * 176 * 2);
    Osp::Graphics::Bitmap bitmap(pixels);
    EXPECT_EQ(E_SUCCESS, item->SetElement(105, bitmap, &bitmap));
    list.AddItem(*item, 7);
    list.SetFocusedIndex(0);

    pregonero::text::JsonWriter json;
    list.Describe(json);
    const std::string& text = json.Text();
    EXPECT_NE(std::string::npos, text.find("\"type\":\"CustomList\""));
    EXPECT_NE(std::string::npos, text.find("\"focusedIndex\":0"));
    EXPECT_NE(std::string::npos, text.find("\"scrollY\":0"));
    EXPECT_NE(std::string::npos,
              text.find("{\"index\":0,\"itemId\":7,\"height\":176,\"elements\":["
                        "{\"id\":104,\"kind\":\"custom\",\"bounds\":[0,0,480,176]},"));
    EXPECT_NE(std::string::npos,
              text.find("{\"id\":101,\"kind\":\"text\",\"bounds\":[0,0,303,60],"
                        "\"text\":\"Título \\\"uno\\\"\",\"textSize\":28,"
                        "\"color\":[67,168,224,255],\"focusedColor\":[255,255,255,255]}"));
    EXPECT_NE(std::string::npos,
              text.find("{\"id\":105,\"kind\":\"bitmap\",\"bounds\":[304,0,176,176],"
                        "\"bitmap\":{\"width\":176,\"height\":176,\"format\":\"RGB565\"}}"));
    EXPECT_NE(std::string::npos,
              text.find("{\"id\":106,\"kind\":\"empty\",\"bounds\":[0,0,10,10]}"));
}
