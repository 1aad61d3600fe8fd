#include <gtest/gtest.h>
#include <windows.h>

#include "about/about_window.h"
#include "app/main_window.h"
#include "platform/handles.h"
#include "platform/toolkit/controls.h"
#include "platform/toolkit/twips.h"
#include "support/control_pixels.h"
#include "support/fake_services.h"
#include "support/temp_dir.h"

using namespace zarvio;
using namespace zarvio::test;

namespace {

struct AboutTest : ::testing::Test, FakeServiceSet {
    TempDir dir;
    AboutHost host{Make(dir.path())};
    AboutWindow& Open() {
        host.Open();
        return *host.current();
    }
};

bool Underlined(HWND label) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfUnderline != 0;
}

RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

TEST_F(AboutTest, CaptionNamesTheVersionAndTheLabelsCarryTheirTexts) {
    AboutWindow& w = Open();
    // 关于, two blanks, Zarvio Ver1.0.16版.
    EXPECT_EQ(WindowText(w.hwnd()), L"\u5173\u4E8E  Zarvio Ver1.0.16\u7248");
    char ansi[64] = {};
    GetWindowTextA(w.hwnd(), ansi, sizeof(ansi));
    EXPECT_STREQ(ansi, "\xB9\xD8\xD3\xDA  Zarvio Ver1.0.16\xB0\xE6");

    EXPECT_EQ(WindowText(w.item(kAbLabel2)), L"网址：");
    EXPECT_EQ(WindowText(w.item(kAbLabel3)) + L"/", kProductPageUrl) << "the link shows the address without its final /";
    EXPECT_EQ(WindowText(w.item(kAbLabel5)), L"Zarvio");
    EXPECT_FALSE(WindowText(w.item(kAbLabel1)).empty());
    EXPECT_FALSE(WindowText(w.item(kAbLabel4)).empty());

    EXPECT_EQ(GetWindow(w.hwnd(), GW_OWNER), nullptr);
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(5355));
    EXPECT_EQ(client.bottom, TwipsToPixels(2235));
    RECT outer{};
    GetWindowRect(w.hwnd(), &outer);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
}

TEST_F(AboutTest, EveryNewWindowOpensTheWebPageOnceAndTheLinkOpensItAgain) {
    AboutWindow& first = Open();
    const HWND window = first.hwnd();
    ASSERT_EQ(browser.opened.size(), 1u);
    EXPECT_EQ(browser.opened[0], kProductPageUrl);
    host.Open();  // shows the open window without loading it again
    EXPECT_EQ(host.current()->hwnd(), window);
    EXPECT_EQ(browser.opened.size(), 1u);

    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window)) << "destroyed on close";
    EXPECT_EQ(host.current(), nullptr);
    AboutWindow& second = Open();
    EXPECT_EQ(browser.opened.size(), 2u);

    HWND link = second.item(kAbLabel3);
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    ASSERT_EQ(browser.opened.size(), 3u);
    EXPECT_EQ(browser.opened[2], kProductPageUrl);
    SendMessageW(second.item(kAbLabel2), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(second.item(kAbLabel2), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(browser.opened.size(), 3u) << "only the link opens the page";
}

TEST_F(AboutTest, TheLinkIsUnderlinedUntilThePointerMovesOverTheBareWindow) {
    AboutWindow& w = Open();
    HWND link = w.item(kAbLabel3);
    const COLORREF blue = RGB(0, 0, 255);
    const Picture plain = Render(link);
    EXPECT_FALSE(Underlined(link));
    EXPECT_LT(plain.LongestRow(blue), plain.width / 2);

    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(Underlined(link));
    const Picture underlined = Render(link);
    EXPECT_GE(underlined.LongestRow(blue), underlined.width * 9 / 10) << "a blue line under the text";
    // Nothing but the line changes: the glyphs above it stay as they were.
    int line = 0;
    while (line < underlined.height && underlined.at(underlined.width / 2, line) != blue) ++line;
    for (int y = 0; y < line; ++y)
        for (int x = 0; x < underlined.width; ++x) ASSERT_EQ(underlined.at(x, y), plain.at(x, y)) << x << "," << y;

    // Leaving the link for another label or for outside the window keeps the underline.
    for (int id : {kAbLabel1, kAbLabel2, kAbLabel4, kAbLabel5}) {
        SendMessageW(w.item(id), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
        EXPECT_TRUE(Underlined(link)) << "label " << id;
    }
    SendMessageW(w.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_FALSE(Underlined(link));
    EXPECT_EQ(Render(link).pixels, plain.pixels);
    EXPECT_TRUE(browser.opened.size() == 1u) << "hovering opens nothing";
}

TEST_F(AboutTest, LabelsFitTheirTextsInTheirColoursAndTheNameIsCentred) {
    AboutWindow& w = Open();
    RECT client{};
    GetClientRect(w.hwnd(), &client);
    const struct { int id; COLORREF colour; } labels[] = {
        {kAbLabel1, RGB(255, 0, 0)}, {kAbLabel2, RGB(0, 0, 255)}, {kAbLabel3, RGB(0, 0, 255)},
        {kAbLabel4, RGB(0, 192, 0)}, {kAbLabel5, RGB(0, 64, 64)},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.id);
        HWND label = w.item(l.id);
        const RECT r = ChildRect(label);
        EXPECT_LE(r.right, client.right) << "the text is not cut off by the window";
        EXPECT_LE(r.bottom, client.bottom);
        const Picture p = Render(label);
        EXPECT_GT(p.Count(l.colour), 0) << "drawn in its colour";
        const RECT ink = p.Ink();
        if (l.id == kAbLabel5) {
            EXPECT_EQ(r.left, 0);
            EXPECT_EQ(r.right - r.left, TwipsToPixels(5340));
            EXPECT_LE(std::abs((ink.left - 0) - (p.width - ink.right)), 2) << "centred";
        } else {
            // As large as its text in its own font, so the bare window begins where the text ends.
            WindowDc dc = WindowDc::Client(label);
            SelectGuard keep(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
            const std::wstring text = WindowText(label);
            SIZE extent{};
            GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
            EXPECT_EQ(r.right - r.left, extent.cx);
            EXPECT_EQ(r.bottom - r.top, extent.cy);
            EXPECT_LE(ink.left, 3) << "drawn from its left edge";
        }
    }
}

TEST_F(AboutTest, TheMainWindowButtonAndMenuOpenOneAboutWindow) {
    WindowOpeners openers;
    openers.about = [this] { host.Open(); };
    MainWindow main(Make(dir.path()), std::move(openers));
    ASSERT_TRUE(main.Start());
    SendMessageW(main.button(kIdCommand5), BM_CLICK, 0, 0);
    ASSERT_NE(host.current(), nullptr);
    const HWND window = host.current()->hwnd();
    main.RunMenuCommand(kMenuAbout);
    EXPECT_EQ(host.current()->hwnd(), window);
    EXPECT_EQ(browser.opened.size(), 1u);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
}
