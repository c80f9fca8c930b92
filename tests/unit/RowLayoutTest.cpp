#include "rows/Articulo.h"
#include "rows/Foto.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

#include <gtest/gtest.h>

using Osp::Graphics::Rectangle;
using Osp::Ui::Controls::CustomListItem;
using Kind = CustomListItem::ElementKind;

namespace {

Rectangle BoundsOf(const CustomListItem& row, int id) {
    const Rectangle* r = row.GetElementBounds(id);
    return r != nullptr ? *r : Rectangle(-1, -1, -1, -1);
}

int Bottom(const Rectangle& r) {
    return r.y + r.height;
}

} // namespace

// Relations between the elements that a change of numbers must keep.
TEST(RowLayoutTest, EachRowKeepsItsOwnLayoutAndMakesRoomForItsPicture) {
    ResultadosItem plain, pictured;
    ASSERT_EQ(E_SUCCESS, plain.Construct("Titular", "", "", "", "http://x/a", "IDPORTADA1"));
    ASSERT_EQ(E_SUCCESS, pictured.Construct("T", "10:30", "Resumen", "not even a url", "l", "ID2"));
    EXPECT_EQ(plain.GetElementBounds(105), nullptr);
    EXPECT_EQ(Kind::Text, plain.GetElementKind(103)); // empty texts are still set
    const Rectangle thumb = BoundsOf(pictured, 105);
    EXPECT_EQ(Kind::Empty, pictured.GetElementKind(105));
    EXPECT_EQ(thumb.x + thumb.width, 480);
    for (int id : {101, 102, 103}) {
        const Rectangle text = BoundsOf(pictured, id);
        EXPECT_LE(text.x + text.width, thumb.x) << id;
        EXPECT_EQ(BoundsOf(plain, id).width, 480) << id; // the first row is still wide
    }

    Articulo bare, withPicture, withBody;
    ASSERT_EQ(E_SUCCESS, bare.Construct("T", "A", "D", "H", "", "pie", "", "IDNOTA1", 480, 0));
    ASSERT_EQ(E_SUCCESS,
              withPicture.Construct("T", "A", "D", "H", "http://p", "", "", "I", 480, 0));
    ASSERT_EQ(E_SUCCESS,
              withBody.Construct("T", "A", "D", "H", "http://p", "Pie", "C", "IDNOTA2", 480, 1000));
    EXPECT_EQ(bare.GetElementBounds(105), nullptr);
    EXPECT_EQ(bare.GetElementBounds(106), nullptr);
    EXPECT_EQ(BoundsOf(bare, 107).y, bare.GetHeight());     // the body follows the header
    EXPECT_EQ(Kind::Text, withPicture.GetElementKind(106)); // empty caption band still set
    EXPECT_GT(withPicture.GetHeight(), bare.GetHeight());
    EXPECT_EQ(withBody.GetHeight() - withPicture.GetHeight(), 1000);
    EXPECT_LE(Bottom(BoundsOf(withBody, 105)), BoundsOf(withBody, 106).y);
    EXPECT_LE(Bottom(BoundsOf(withBody, 106)), BoundsOf(withBody, 107).y);

    Foto caption, photo;
    ASSERT_EQ(E_SUCCESS, caption.Construct("T", "", "c", "F1", 480, 100));
    ASSERT_EQ(E_SUCCESS, photo.Construct("T", "http://p", "c", "IDFOTOGALERIA3", 480, 100));
    EXPECT_EQ(caption.GetElementBounds(102), nullptr);
    EXPECT_LE(Bottom(BoundsOf(photo, 102)), BoundsOf(photo, 103).y);
    EXPECT_GT(photo.GetHeight(), caption.GetHeight());

    // A section header's name raises no events; its band does.
    Seccion header;
    ASSERT_EQ(E_SUCCESS, header.Construct("", 480));
    EXPECT_FALSE(header.IsElementEventEnabled(101));
    EXPECT_TRUE(header.IsElementEventEnabled(102));
}
