#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "ImageTestUtil.h"
#include "platform/gdi/Gdi.h"

using namespace imgtest;

namespace {

using Box = std::array<LONG, 4>; // left, top, right, bottom

Box BoxOf(const CPixImage& img) {
    RECT b;
    img.SelectionGetBox(b);
    return {b.left, b.top, b.right, b.bottom};
}

// Selected pixels as rows of '#' and '.', top row first.
std::string Mask(CPixImage& img) {
    std::string s;
    for (long y = static_cast<long>(img.GetHeight()) - 1; y >= 0; --y) {
        for (long x = 0; x < static_cast<long>(img.GetWidth()); ++x)
            s += img.SelectionIsInside(x, y) ? '#' : '.';
        s += '\n';
    }
    return s;
}

long CountSelected(CPixImage& img) {
    const std::string m = Mask(img);
    return std::count(m.begin(), m.end(), '#');
}

} // namespace

TEST(PixSelection, RectanglesAreNormalisedAndClipped) {
    const struct {
        RECT r;
        int selected;
        Box box;
    } cases[] = {{{1, 3, 4, 1}, 6, {1, 3, 4, 1}},
                 {{4, 1, 1, 3}, 6, {1, 3, 4, 1}},
                 {{-5, 20, 3, 2}, 3 * 4, {0, 6, 3, 2}},
                 {{INT_MIN, INT_MAX, INT_MAX, INT_MIN}, 8 * 6, {0, 6, 8, 0}}};
    for (const auto& c : cases) {
        CPixImage img(8, 6, 24);
        ASSERT_TRUE(img.SelectionAddRect(c.r));
        EXPECT_EQ(CountSelected(img), c.selected);
        EXPECT_EQ(BoxOf(img), c.box);
    }
}

TEST(PixSelection, DeleteClearAndQueries) {
    CPixImage img(5, 4, 8);
    EXPECT_FALSE(img.SelectionClear());
    EXPECT_FALSE(img.SelectionInvert());
    EXPECT_TRUE(img.SelectionIsInside(4, 3));
    EXPECT_FALSE(img.SelectionIsInside(5, 0));
    EXPECT_FALSE(img.SelectionIsInside(0, -1));
    ASSERT_TRUE(img.SelectionAddRect(RECT{0, 2, 2, 0}));
    EXPECT_FALSE(img.SelectionIsInside(2, 0));
    EXPECT_TRUE(img.SelectionClear());
    EXPECT_TRUE(img.SelectionIsValid());
    EXPECT_EQ(CountSelected(img), 0);
    EXPECT_EQ(BoxOf(img), (Box{5, 0, 0, 4}));
    ASSERT_TRUE(img.SelectionAddRect(RECT{0, 2, 2, 0}));
    EXPECT_TRUE(img.SelectionDelete());
    EXPECT_EQ(BoxOf(img), (Box{5, 0, 0, 4}));
    CPixImage empty;
    EXPECT_FALSE(empty.SelectionCreate());
    EXPECT_FALSE(empty.SelectionAddRect(RECT{0, 1, 1, 0}));

    // Refused adders leave no plane.
    POINT two[2] = {{1, 1}, {4, 4}};
    EXPECT_FALSE(img.SelectionAddEllipse(RECT{2, 0, 2, 3}));
    EXPECT_FALSE(img.SelectionAddEllipse(RECT{0, 3, 4, 3}));
    EXPECT_FALSE(img.SelectionAddPolygon(two, 2));
    EXPECT_FALSE(img.SelectionAddPolygon(nullptr, 5));
    EXPECT_FALSE(img.SelectionAddPixel(5, 0));
    EXPECT_FALSE(img.SelectionAddPixel(0, -1));
    EXPECT_FALSE(img.SelectionIsValid());
}

TEST(PixSelection, EllipseIsSymmetricAndBoxed) {
    CPixImage img(9, 9, 24);
    ASSERT_TRUE(img.SelectionAddEllipse(RECT{0, 8, 8, 0}));
    EXPECT_EQ(Mask(img), ".........\n"
                         "....#....\n"
                         "..#####..\n"
                         ".#######.\n"
                         ".#######.\n"
                         ".#######.\n"
                         ".#######.\n"
                         "..#####..\n"
                         ".........\n");
    EXPECT_EQ(BoxOf(img), (Box{0, 8, 8, 0}));
    CPixImage far(9, 9, 24);
    ASSERT_TRUE(far.SelectionAddEllipse(RECT{INT_MIN, INT_MAX, INT_MAX, INT_MIN}));
    EXPECT_EQ(CountSelected(far), 81);
}

TEST(PixSelection, PolygonsFillOutlineAndInterior) {
    // The box is one pixel around the outline, within the image; `in` lies in the low rows, so
    // a picture filled upside down misses it.
    struct Case {
        std::vector<POINT> pts;
        long selected;
        POINT in;
        Box box;
    } cases[] = {
        // two outlines, the separator in front of the first and between them
        {{{-1, -1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {-1, -1}, {4, 3}, {5, 3}, {5, 5}, {4, 5}},
         4 + 6, {0, 0}, {0, 6, 6, 0}},
        // crosses the image edges: clipped and closed along them
        {{{-10, -10}, {2, -10}, {2, 2}, {-10, 2}}, 9, {0, 0}, {0, 4, 4, 0}},
        {{{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MAX, INT_MAX}}, 21, {0, 0}, {0, 6, 6, 0}},
        {{{20, 20}, {30, 20}, {30, 30}}, 0, {0, 0}, {6, 0, 0, 6}},
    };
    for (auto& c : cases) {
        CPixImage img(6, 6, 24);
        ASSERT_TRUE(img.SelectionAddPolygon(c.pts.data(), static_cast<long>(c.pts.size())));
        EXPECT_EQ(CountSelected(img), c.selected);
        EXPECT_TRUE(c.selected == 0 || img.SelectionIsInside(c.in.x, c.in.y));
        EXPECT_EQ(BoxOf(img), c.box);
    }
    // A slanted edge through the bottom of the picture is cut where it crosses.
    CPixImage img(6, 6, 24);
    POINT slant[3] = {{1, -4}, {5, 4}, {5, -4}};
    ASSERT_TRUE(img.SelectionAddPolygon(slant, 3));
    EXPECT_EQ(Mask(img), "......\n"
                         ".....#\n"
                         "....##\n"
                         "....##\n"
                         "...###\n"
                         "...###\n");
    EXPECT_EQ(BoxOf(img), (Box{2, 6, 6, 0}));
}

TEST(PixSelection, ColourBoxHoldsLastRowAndColumn) {
    CPixImage img(5, 4, 24);
    img.SetPixelColor(3, 3, Quad(10, 20, 30, 99));
    img.SetPixelColor(1, 2, Quad(10, 20, 30));
    ASSERT_TRUE(img.SelectionAddColor(Quad(10, 20, 30)));
    EXPECT_EQ(CountSelected(img), 2);
    EXPECT_EQ(BoxOf(img), (Box{1, 4, 4, 2}));
    CPixImage none(5, 4, 24);
    ASSERT_TRUE(none.SelectionAddColor(Quad(1, 2, 3)));
    EXPECT_EQ(BoxOf(none), (Box{5, 0, 0, 4}));
    none.SetPixelColor(2, 1, Quad(1, 2, 3));
    ASSERT_TRUE(none.SelectionAddColor(Quad(1, 2, 3)));
    EXPECT_EQ(BoxOf(none), (Box{2, 2, 3, 1}));
}

TEST(PixSelection, PixelAndInvertWidenTheBox) {
    CPixImage img(6, 5, 8);
    ASSERT_TRUE(img.SelectionAddRect(RECT{1, 2, 3, 1}));
    ASSERT_TRUE(img.SelectionAddPixel(5, 4));
    EXPECT_EQ(BoxOf(img), (Box{1, 5, 6, 1}));
    ASSERT_TRUE(img.SelectionInvert());
    EXPECT_EQ(CountSelected(img), 30 - 3);
    EXPECT_EQ(BoxOf(img), (Box{0, 5, 6, 0}));
    CPixImage one(3, 3, 8);
    ASSERT_TRUE(one.SelectionAddRect(RECT{0, 3, 3, 0}));
    ASSERT_TRUE(one.SelectionInvert());
    EXPECT_EQ(CountSelected(one), 0);
    EXPECT_EQ(BoxOf(one), (Box{3, 0, 0, 3}));
}

TEST(PixSelection, CopyAndSplit) {
    CPixImage a(4, 3, 24), b(4, 3, 8), c(5, 3, 24);
    EXPECT_FALSE(b.SelectionCopy(a));
    ASSERT_TRUE(a.SelectionAddPixel(2, 1));
    EXPECT_FALSE(c.SelectionCopy(a));
    ASSERT_TRUE(b.SelectionCopy(a));
    EXPECT_EQ(Mask(b), Mask(a));
    EXPECT_EQ(BoxOf(b), (Box{2, 2, 3, 1}));

    CPixImage grey(7, 7, 24);
    EXPECT_FALSE(a.SelectionSplit(nullptr));
    EXPECT_FALSE(CPixImage(2, 2, 8).SelectionSplit(&grey));
    ASSERT_TRUE(a.SelectionSplit(&grey));
    EXPECT_TRUE(grey.GetWidth() == 4 && grey.GetBpp() == 8 && grey.IsGrayScale());
    EXPECT_TRUE(grey.GetPixelIndex(2, 1) == 255 && grey.GetPixelIndex(1, 1) == 0);
}

TEST(PixSelection, RegionKeepsTheTopRowOnTop) {
    CPixImage img(4, 3, 24);
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    EXPECT_FALSE(img.SelectionToHRGN(rgn));
    ASSERT_TRUE(img.SelectionAddRect(RECT{0, 3, 4, 1})); // the two top rows
    ASSERT_TRUE(img.SelectionAddPixel(0, 0));
    HRGN none = nullptr;
    EXPECT_FALSE(img.SelectionToHRGN(none));
    ASSERT_TRUE(img.SelectionToHRGN(rgn));
    HRGN want = CreateRectRgn(0, 0, 4, 2), corner = CreateRectRgn(0, 2, 1, 3);
    CombineRgn(want, want, corner, RGN_OR);
    EXPECT_TRUE(EqualRgn(rgn, want));
    for (HRGN r : {rgn, want, corner})
        DeleteObject(r);
}
