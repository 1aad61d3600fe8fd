// Figures 3 and 4: the skin painters on real controls of a visible window, each against the
// platform doing the nearest plain equivalent in the same run.
#include "painting.h"

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <string>

#include "bench_support.h"
#include "platform/handles.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/header_paint.h"
#include "skin/paint/images.h"
#include "skin/paint/surface.h"
#include "skin/paint/window_props.h"
#include "skin/skin_engine.h"

namespace zarvio::bench {
namespace {

constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 20;
constexpr double kFadeTickUs = 15000.0;  // the fade timer's period
constexpr int kHeaderItems = 5;

class Host {
public:
    Host() {
        hwnd_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 120,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0,
                                L"宋体"));
    }
    ~Host() { if (hwnd_) DestroyWindow(hwnd_); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    HWND Add(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h) {
        HWND child = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        UpdateWindow(child);
        PumpMessages();
        return child;
    }
    bool ok() const { return hwnd_ != nullptr; }

private:
    HWND hwnd_ = nullptr;
    Font font_;
};

// A push button with its four state pictures attached under "HDC0".."HDC3", as the skin
// engine attaches them when it takes the button over.
class SkinnedButton {
public:
    explicit SkinnedButton(Host& host)
        : hwnd_(host.Add(L"BUTTON", L"刷新列表(&R)", BS_PUSHBUTTON, 10, 10, kButtonWidth, kButtonHeight)) {
        for (int n = 0; n < 4; ++n) {
            pictures_[n].reset(skin::CreateSurface(kButtonWidth, kButtonHeight));
            SetPropW(hwnd_, skin::StateSurfaceProp(n), pictures_[n].get());
        }
        skin::WriteWindowProp(hwnd_, skin::kOldStyleProp, BS_PUSHBUTTON);
        skin::WriteWindowProp(hwnd_, skin::kOldStateProp, 1);
        skin::WriteWindowProp(hwnd_, skin::kAlphaLevelProp, 0);
    }
    ~SkinnedButton() {
        for (int n = 0; n < 4; ++n) RemovePropW(hwnd_, skin::StateSurfaceProp(n));
        RemovePropW(hwnd_, skin::kOldStyleProp);
        RemovePropW(hwnd_, skin::kOldStateProp);
        RemovePropW(hwnd_, skin::kAlphaLevelProp);
        DestroyWindow(hwnd_);
    }
    SkinnedButton(const SkinnedButton&) = delete;
    SkinnedButton& operator=(const SkinnedButton&) = delete;
    HWND hwnd() const { return hwnd_; }
    HDC picture(int n) const { return pictures_[n].get(); }

private:
    HWND hwnd_;
    std::array<skin::Surface, 4> pictures_;
};

// Calls body `repetitions` times and gives the median microseconds of one call; the window's
// queued messages run every 50 calls, outside the timing, as they would between timer ticks.
double TimeCalls(int repetitions, const std::function<void()>& body) {
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(repetitions));
    for (int i = 0; i < 20; ++i) body();
    for (int i = 0; i < repetitions; ++i) {
        Stopwatch watch;
        body();
        samples.push_back(watch.Microseconds());
        if (i % 50 == 49) PumpMessages();
    }
    return Median(std::move(samples));
}

}  // namespace

void RunPaintingFigures(int repetitions) {
    Host host;
    if (!host.ok()) {
        Report("3 fade step", "ERROR no host window");
        return;
    }
    skin::BuildSkinImages();
    {
        SkinnedButton button(host);
        skin::RenderButtonStates(button.hwnd());
        // Figure 3: one fade step is one blend at the next opacity, the timer raising it by 3.
        int alpha = 0;
        const double blend = TimeCalls(repetitions * 4, [&] {
            alpha = alpha >= 255 ? 3 : alpha + 3;
            skin::WriteWindowProp(button.hwnd(), skin::kAlphaLevelProp, alpha);
            skin::BlendButtonState(button.hwnd(), nullptr);
        });
        const double copy = TimeCalls(repetitions * 4, [&] {
            const WindowDc dc = WindowDc::Whole(button.hwnd());
            BitBlt(dc.get(), 0, 0, kButtonWidth, kButtonHeight, button.picture(1), 0, 0, SRCCOPY);
        });
        // Window properties live in the window server under Wine: each read is a round trip,
        // and a step makes five of them (the level written, four values read by the blend).
        const double property = TimeCalls(repetitions * 4, [&] { GetPropW(button.hwnd(), skin::kOldStateProp); });
        const double share = blend / kFadeTickUs * 100.0;
        Report("3 fade step 89x20",
               Format("level raised + BlendButtonState %.1f us = %.3f%% of the 15 ms tick, target < 2%%: %s | opaque "
                      "BitBlt of the picture %.1f us; one window-property read %.1f us | median of %d",
                      blend, share, Verdict(share < 2.0), copy, property, repetitions * 4));

        // Figure 4b: all four pictures rendered again, as after a size or focus change.
        const double render = TimeCalls(repetitions, [&] { skin::RenderButtonStates(button.hwnd()); });
        const double plainButton = TimeCalls(repetitions, [&] {
            RedrawWindow(button.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        });
        Report("4 RenderButtonStates",
               Format("89x20, 4 pictures %.1f us | the platform painting the same plain button %.1f us | median of %d",
                      render, plainButton, repetitions));
    }
    {
        HWND header = host.Add(WC_HEADERW, L"", HDS_HORZ, 0, 40, 5 * 72, 20);
        const wchar_t* titles[kHeaderItems] = {L"编号", L"电台名称", L"地址", L"状态", L"备注"};
        for (int i = 0; i < kHeaderItems; ++i) {
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
            item.cxy = 72;
            item.fmt = HDF_LEFT | HDF_STRING;
            item.pszText = const_cast<wchar_t*>(titles[i]);
            SendMessageW(header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
        PumpMessages();
        auto repaint = [&] { RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); };
        const double plain = TimeCalls(repetitions, repaint);
        // The skin's full paint: every item composed on one surface and copied at once.
        skin::InitSkin(header);
        const double skinned = TimeCalls(repetitions, repaint);
        skin::ExitSkin(header);
        Report("4 header paint 5 items",
               Format("the skin's full header paint %.1f us | the platform painting the same header %.1f us | "
                      "median of %d",
                      skinned, plain, repetitions));
        DestroyWindow(header);
    }
    skin::ReleaseSkinImages();
}

}  // namespace zarvio::bench
