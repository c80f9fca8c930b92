#include "rows/Articulo.h"
#include "rows/Foto.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

#include <gtest/gtest.h>

using Osp::Base::String;
using Osp::Graphics::Rectangle;
using Osp::Ui::Controls::CustomListItem;
using Kind = CustomListItem::ElementKind;

namespace {

Rectangle BoundsOf(const CustomListItem& row, int id) {
    const Rectangle* r = row.GetElementBounds(id);
    return r != nullptr ? *r : Rectangle(-1, -1, -1, -1);
}

bool Has(const CustomListItem& row, int id) {
    return row.GetElementBounds(id) != nullptr;
}

} // namespace

TEST(RowLayoutTest, HeadlineRowNarrowsItsTextsForAThumbnail) {
    ResultadosItem plain;
    ASSERT_EQ(E_SUCCESS, plain.Construct("Titular", "", "", "", "http://x/a", "IDPORTADA1"));
    EXPECT_EQ(176, plain.GetHeight());
    EXPECT_EQ(Rectangle(0, 0, 480, 176), BoundsOf(plain, 104));
    EXPECT_EQ(Rectangle(0, 0, 480, 60), BoundsOf(plain, 101));
    EXPECT_EQ(Rectangle(0, 60, 480, 26), BoundsOf(plain, 102));
    EXPECT_EQ(Rectangle(0, 86, 480, 90), BoundsOf(plain, 103));
    EXPECT_FALSE(Has(plain, 105));
    EXPECT_EQ(Kind::Custom, plain.GetElementKind(104));
    // Empty texts are still set.
    EXPECT_EQ(Kind::Text, plain.GetElementKind(102));
    EXPECT_EQ(Kind::Text, plain.GetElementKind(103));

    ResultadosItem pictured;
    ASSERT_EQ(E_SUCCESS, pictured.Construct("T", "10:30", "Resumen", "not even a url", "l", "ID2"));
    EXPECT_EQ(Rectangle(0, 0, 303, 60), BoundsOf(pictured, 101));
    EXPECT_EQ(Rectangle(0, 60, 303, 26), BoundsOf(pictured, 102));
    EXPECT_EQ(Rectangle(0, 86, 303, 90), BoundsOf(pictured, 103));
    EXPECT_EQ(Rectangle(304, 0, 176, 176), BoundsOf(pictured, 105));
    EXPECT_EQ(Kind::Empty, pictured.GetElementKind(105));
    EXPECT_EQ(String("l"), pictured.link);
    EXPECT_EQ(String("ID2"), pictured.GetId());
    EXPECT_EQ(String("Resumen"), pictured.description);
    // Each row keeps its own layout: the first is still wide.
    EXPECT_EQ(480, BoundsOf(plain, 101).width);
}

TEST(RowLayoutTest, ArticleRowGrowsWithItsBodyAndPicture) {
    Articulo a;
    ASSERT_EQ(E_SUCCESS, a.Construct("T", "A", "D", "H", "", "caption", "", "IDNOTA1", 480, 0));
    EXPECT_EQ(189, a.GetHeight());
    EXPECT_FALSE(Has(a, 105));
    EXPECT_FALSE(Has(a, 106));
    EXPECT_EQ(String("caption"), a.imgDes); // stored though not shown
    EXPECT_EQ(Rectangle(0, 189, 480, 189), BoundsOf(a, 107));

    Articulo b;
    ASSERT_EQ(E_SUCCESS, b.Construct("T", "A", "D", "H", "http://p", "", "", "ID", 480, 0));
    EXPECT_EQ(715, b.GetHeight());
    EXPECT_EQ(Kind::Text, b.GetElementKind(106)); // empty caption band still set

    Articulo c;
    ASSERT_EQ(E_SUCCESS,
              c.Construct("T", "A", "D", "H", "http://p", "Pie", "Cuerpo", "IDNOTA2", 480, 1000));
    EXPECT_EQ(1715, c.GetHeight());
    EXPECT_EQ(Rectangle(0, 0, 480, 1189), BoundsOf(c, 108));
    EXPECT_EQ(Rectangle(0, 0, 480, 80), BoundsOf(c, 101));
    EXPECT_EQ(Rectangle(0, 80, 480, 38), BoundsOf(c, 102));
    EXPECT_EQ(Rectangle(0, 118, 480, 33), BoundsOf(c, 103));
    EXPECT_EQ(Rectangle(0, 151, 480, 38), BoundsOf(c, 104));
    EXPECT_EQ(Rectangle(20, 189, 440, 440), BoundsOf(c, 105));
    EXPECT_EQ(Rectangle(0, 639, 480, 86), BoundsOf(c, 106));
    EXPECT_EQ(Rectangle(0, 725, 480, 1189), BoundsOf(c, 107));
    EXPECT_EQ(String("IDNOTA2"), c.GetId());
}

TEST(RowLayoutTest, PhotoRowPlacesPictureAndCaption) {
    Foto a;
    ASSERT_EQ(E_SUCCESS, a.Construct("T", "", String(std::u16string(100, u'x')), "F1", 480, 100));
    EXPECT_EQ(180, a.GetHeight());
    EXPECT_FALSE(Has(a, 102));
    EXPECT_EQ(Rectangle(0, 80, 480, 170), BoundsOf(a, 103));
    EXPECT_EQ(Rectangle(0, 0, 480, 180), BoundsOf(a, 104));

    Foto b;
    ASSERT_EQ(E_SUCCESS, b.Construct("T", "http://p", "c", "IDFOTOGALERIA3", 480, 100));
    EXPECT_EQ(790, b.GetHeight());
    EXPECT_EQ(Rectangle(20, 80, 440, 440), BoundsOf(b, 102));
    EXPECT_EQ(Rectangle(0, 530, 480, 170), BoundsOf(b, 103));
    EXPECT_EQ(Rectangle(0, 0, 480, 180), BoundsOf(b, 104));
    EXPECT_EQ(String("IDFOTOGALERIA3"), b.GetId());

    Foto empty;
    ASSERT_EQ(E_SUCCESS, empty.Construct("T", "", "", "F", 480, 0));
    EXPECT_EQ(80, empty.GetHeight()); // the caption lies wholly below the row
}

TEST(RowLayoutTest, SectionHeaderIsAThinBandWhoseNameRaisesNoEvents) {
    Seccion s;
    ASSERT_EQ(E_SUCCESS, s.Construct("", 480));
    EXPECT_EQ(35, s.GetHeight());
    EXPECT_EQ(Rectangle(0, 0, 480, 40), BoundsOf(s, 102));
    EXPECT_EQ(Rectangle(0, 0, 480, 40), BoundsOf(s, 101));
    EXPECT_EQ(Kind::Custom, s.GetElementKind(102));
    EXPECT_EQ(Kind::Text, s.GetElementKind(101));
    EXPECT_FALSE(s.IsElementEventEnabled(101));
    EXPECT_TRUE(s.IsElementEventEnabled(102));
}
