#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/SHostWnd.h"
#include "platform/ui/SRenderTarget.h"
#include "tests/ui/UiTestEnv.h"

namespace qv::ui {
namespace {

constexpr COLORREF kRed = RGBA(255, 0, 0, 255);
constexpr COLORREF kGreen = RGBA(0, 255, 0, 255);
constexpr COLORREF kBlue = RGBA(0, 0, 255, 255);
constexpr COLORREF kYellow = RGBA(255, 255, 0, 255);
constexpr COLORREF kBlack = RGBA(0, 0, 0, 255);

bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    }
    return true;
}

int Alpha(const SRenderTarget& rt, int x, int y) { return GetAValue(rt.GetPixel(x, y)); }

TEST(RenderTest, FilledRectangleCoversExactlyItsPixels) {
    SRenderTarget rt(50, 50);
    rt.FillSolidRect(CRect(10, 10, 20, 20), kRed);
    EXPECT_EQ(rt.GetPixel(10, 10), kRed);
    EXPECT_EQ(rt.GetPixel(19, 19), kRed);
    EXPECT_EQ(Alpha(rt, 20, 20), 0);
    EXPECT_EQ(Alpha(rt, 9, 10), 0);
    EXPECT_EQ(Alpha(rt, 10, 20), 0);
}

TEST(RenderTest, LinesAreAntiAliasedOnlyWhenAsked) {
    auto countPartial = [](bool aa) {
        SRenderTarget rt(50, 30);
        rt.SetAntiAlias(aa);
        rt.SelectPen(SPen{kBlack, 1.5f, PenStyle::Solid});
        rt.DrawLine({2, 3}, {45, 25});
        int partial = 0, full = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x) {
                int a = Alpha(rt, x, y);
                if (a == 255) ++full;
                else if (a > 0) ++partial;
            }
        return std::make_pair(partial, full);
    };
    auto [aaPartial, aaFull] = countPartial(true);
    EXPECT_GT(aaPartial, 20);
    auto [plainPartial, plainFull] = countPartial(false);
    EXPECT_EQ(plainPartial, 0);
    EXPECT_GT(plainFull, 40);
    (void)aaFull;
}

TEST(RenderTest, PieFillsClockwiseFromTheXAxis) {
    SRenderTarget rt(100, 100);
    rt.SelectBrush(SBrush{kBlue});
    rt.FillPie(CRect(0, 0, 100, 100), 0, 90);  // the lower right quarter on screen
    EXPECT_EQ(rt.GetPixel(75, 75), kBlue);
    EXPECT_EQ(Alpha(rt, 25, 75), 0);
    EXPECT_EQ(Alpha(rt, 75, 25), 0);
    EXPECT_EQ(Alpha(rt, 25, 25), 0);
    EXPECT_EQ(Alpha(rt, 97, 97), 0);  // outside the circle
}

TEST(RenderTest, EvenOddPolygonLeavesAHole) {
    SRenderTarget rt(100, 100);
    rt.SelectBrush(SBrush{kGreen});
    rt.FillPolygons({{{10, 10}, {90, 10}, {90, 90}, {10, 90}}, {{30, 30}, {70, 30}, {70, 70}, {30, 70}}});
    EXPECT_EQ(rt.GetPixel(20, 20), kGreen);
    EXPECT_EQ(rt.GetPixel(80, 50), kGreen);
    EXPECT_EQ(Alpha(rt, 50, 50), 0);
    EXPECT_EQ(Alpha(rt, 5, 5), 0);
}

TEST(RenderTest, GradientsReachTheirEndColours) {
    SRenderTarget rt(100, 60);
    rt.FillLinearGradient(CRect(0, 0, 100, 10), {0, 0}, {100, 0}, kRed, kBlue);
    EXPECT_TRUE(Near(rt.GetPixel(0, 5), kRed));
    EXPECT_TRUE(Near(rt.GetPixel(99, 5), kBlue));
    COLORREF mid = rt.GetPixel(50, 5);
    EXPECT_GT(GetRValue(mid), 100);
    EXPECT_GT(GetBValue(mid), 100);

    rt.FillRadialGradient(CRect(0, 10, 100, 60), kYellow, kBlack);
    EXPECT_TRUE(Near(rt.GetPixel(50, 35), kYellow, 8));
    EXPECT_TRUE(Near(rt.GetPixel(1, 35), kBlack, 12));
    EXPECT_EQ(Alpha(rt, 1, 11), 0);  // the corner is outside the ellipse
}

TEST(RenderTest, ClipsAndTransformsNest) {
    SRenderTarget rt(60, 60);
    rt.PushClipRect(CRect(0, 0, 20, 20));
    SMatrix m;
    m.Translate(10, 10);
    rt.SetTransform(m);
    rt.FillSolidRect(CRect(0, 0, 30, 30), kRed);  // 10..40, clipped to 10..20
    EXPECT_EQ(rt.GetPixel(15, 15), kRed);
    EXPECT_EQ(Alpha(rt, 25, 25), 0);
    EXPECT_EQ(Alpha(rt, 5, 5), 0);
    rt.PopClip();
    EXPECT_EQ(rt.GetTransform().tx, 10);  // popping a clip keeps the transform
    rt.FillSolidRect(CRect(20, 20, 30, 30), kBlue);
    EXPECT_EQ(rt.GetPixel(35, 35), kBlue);
    SMatrix r;
    r.Rotate(90);
    double x = 1, y = 0;
    r.Apply(x, y);
    EXPECT_NEAR(x, 0, 1e-9);
    EXPECT_NEAR(y, 1, 1e-9);  // clockwise on screen
}

TEST(RenderTest, ChineseTextHasInkInsideItsMeasuredRectangle) {
    SRenderTarget rt(200, 50);
    rt.SelectFont(SFont{u"宋体", 16, false});
    rt.SetTextColor(kBlack);
    SStringW text(u"中文测试");
    CSize size = rt.MeasureText(text);
    ASSERT_GT(size.cx, 40);
    ASSERT_GT(size.cy, 10);
    CRect rc(0, 0, 200, 50);
    rt.DrawText(text, rc, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    CRect inked(0, (50 - size.cy) / 2, size.cx, (50 - size.cy) / 2 + size.cy);
    int inside = 0, outside = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x) {
            if (Alpha(rt, x, y) == 0) continue;
            if (inked.PtInRect({x, y})) ++inside;
            else ++outside;
        }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);

    CRect calc(0, 0, 0, 0);
    rt.DrawText(text, calc, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(calc.Size(), size);
}

// The columns of a target that hold ink.
std::pair<int, int> InkColumns(const SRenderTarget& rt) {
    int first = -1, last = -1;
    for (int x = 0; x < rt.Width(); ++x) {
        for (int y = 0; y < rt.Height(); ++y) {
            if (Alpha(rt, x, y) > 0) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

TEST(RenderTest, EllipsizedTextIsDrawnOnceInsideItsBoxAsAligned) {
    const CRect box(40, 0, 120, 24);
    struct Case {
        UINT align;
        const char16_t* text;
    } cases[] = {
        {DT_LEFT, u"一段放不下的很长的文字 and more"},  {DT_CENTER, u"一段放不下的很长的文字 and more"},
        {DT_RIGHT, u"一段放不下的很长的文字 and more"}, {DT_LEFT, u"ok"},
        {DT_CENTER, u"ok"},                                 {DT_RIGHT, u"ok"},
    };
    for (const Case& c : cases) {
        SRenderTarget rt(160, 24);
        rt.SetTextColor(kBlack);
        CRect rc = box;
        rt.DrawText(c.text, rc, c.align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
        auto [first, last] = InkColumns(rt);
        SCOPED_TRACE(testing::Message() << "align " << c.align << ", " << SStringW(c.text).ToUtf8());
        ASSERT_GE(first, 0) << "nothing drawn";
        EXPECT_GE(first, box.left);
        EXPECT_LT(last, box.right);
        int left = first - box.left, right = box.right - 1 - last;
        // A text cut with an ellipsis fills the box from its left, whatever the
        // alignment (the ellipsis glyph may leave a margin at the right).
        const bool cut = SStringW(c.text).GetLength() > 2;
        const int offside = cut || c.align == DT_LEFT ? left : c.align == DT_RIGHT ? right : std::abs(left - right);
        EXPECT_LE(offside, 3);
        EXPECT_TRUE(!cut || last - first > box.Width() / 2);
    }
}

TEST(RenderTest, BitmapsFromPixelsKeepAlpha) {
    std::uint32_t pixels[4] = {0xFFFF0000u, 0x80000080u, 0x00000000u, 0xFF00FF00u};  // premultiplied
    BitmapPtr bmp = SBitmap::FromPixels(2, 2, pixels);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->GetPixel(0, 0), kRed);
    EXPECT_TRUE(Near(bmp->GetPixel(1, 0), RGBA(0, 0, 255, 0x80)));
    SRenderTarget rt(4, 4);
    rt.DrawBitmapEx(CRect(0, 0, 4, 4), *bmp, CRect(0, 0, 2, 2));
    EXPECT_EQ(rt.GetPixel(0, 0), kRed);
    EXPECT_EQ(rt.GetPixel(3, 3), kGreen);
}

using HostRenderTest = test::UiAppTest;

TEST_F(HostRenderTest, NinePatchStretchesWithoutDistortingCorners) {
    ISkinObj* skin = m_app->GetSkin(u"skin_frame");
    ASSERT_NE(skin, nullptr);
    SRenderTarget rt(60, 40);
    skin->Draw(rt, CRect(0, 0, 60, 40), 0);
    const COLORREF gray = RGBA(128, 128, 128, 255), white = RGBA(255, 255, 255, 255);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rt.GetPixel(i, i), kRed);
        EXPECT_EQ(rt.GetPixel(56 + i, 3 - i), kGreen);
        EXPECT_EQ(rt.GetPixel(i, 39 - i), kBlue);
        EXPECT_EQ(rt.GetPixel(59 - i, 39 - i), kYellow);
    }
    EXPECT_EQ(rt.GetPixel(30, 1), white);
    EXPECT_EQ(rt.GetPixel(1, 20), white);
    EXPECT_EQ(rt.GetPixel(30, 20), gray);
    EXPECT_EQ(rt.GetPixel(10, 10), gray);
}

TEST_F(HostRenderTest, HostDrawsItsTreeAndRedrawsOnlyWhatWasInvalidated) {
    SHostWnd host(u"LAYOUT:XML_MAIN");
    ASSERT_NE(host.Create(), nullptr);
    host.UpdateWindow();
    BitmapPtr frame = host.GetFrameBitmap();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->GetPixel(5, 5), RGBA(0x1E, 0x1F, 0x24, 0xFF));
    EXPECT_EQ(frame->GetPixel(12, 12), RGBA(0x2A, 0x2C, 0x33, 0xFF));
    EXPECT_TRUE(host.GetInvalidRect().IsRectEmpty());

    SWindow* cell = host.FindChildByName(u"cell1");
    ASSERT_TRUE(SUCCEEDED(cell->SetAttribute(u"colorBkgnd", u"#E5484D", false)));
    EXPECT_EQ(host.GetInvalidRect(), cell->GetWindowRect());
    host.UpdateWindow();
    EXPECT_EQ(frame->GetPixel(150, 70), RGBA(0xE5, 0x48, 0x4D, 0xFF));
    EXPECT_EQ(frame->GetPixel(5, 5), RGBA(0x1E, 0x1F, 0x24, 0xFF));
    host.DestroyWindow();
}

}  // namespace
}  // namespace qv::ui
