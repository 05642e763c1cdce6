// The PNG writer: what is read back is what the surface held.
#include <gtest/gtest.h>

#include <QImage>

#include "cli/png.h"
#include "view/surface.h"
#include "view_test_support.h"

namespace korvat {
namespace {

TEST(Png, WholeSurfacesAndRectanglesReadBackExactly) {
    test::ScratchFolder folder;
    Surface s;
    s.allocate(37, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) s.row(y)[x] = static_cast<uint32_t>(x * 0x060000 + y * 0x000C00 + (x ^ y) * 5);

    ASSERT_TRUE(writePng(s, "all.png"));
    QImage all("all.png");
    ASSERT_EQ(all.width(), 37);
    ASSERT_EQ(all.height(), 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(all.pixel(x, y) & 0xFFFFFFu, s.at(x, y)) << x << "," << y;

    // A rectangle reaching past the left and bottom edges is cut to the surface.
    ASSERT_TRUE(writePng(s, -3, 15, 10, 10, "part.png"));
    QImage part("part.png");
    ASSERT_EQ(part.width(), 7);
    ASSERT_EQ(part.height(), 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(part.pixel(x, y) & 0xFFFFFFu, s.at(x, 15 + y));

    EXPECT_FALSE(writePng(s, 37, 0, 5, 5, "none.png"));
    EXPECT_FALSE(writePng(Surface{}, "empty.png"));
    EXPECT_FALSE(writePng(s, folder.path() + "/no/such/folder/x.png"));
}

}  // namespace
}  // namespace korvat
