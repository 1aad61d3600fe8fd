#include "player/stream/session/stream_player.h"

#include <algorithm>
#include <vector>

namespace zarvio::stream {
namespace {

constexpr wchar_t kWindowClass[] = L"ZarvioStreamPlayer";
constexpr UINT kNoticeMessage = WM_APP + 0x40;
// While a playback may report, this timer takes the notices whose wake-up could not be posted.
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeTimerMs = 500;

void RegisterWindowClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kWindowClass, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
}

}  // namespace

StreamPlayer::StreamPlayer(std::wstring initialUrl, StreamParts parts)
    : url_(std::move(initialUrl)), parts_(std::move(parts)), notices_(std::make_shared<NoticeBox>(parts_.wake)) {
    RegisterWindowClass(&StreamPlayer::WindowProc);
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    notices_->Attach(window_, kNoticeMessage);
}

StreamPlayer::~StreamPlayer() {
    EndSession();
    notices_->Detach();
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK StreamPlayer::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kNoticeMessage || (msg == WM_TIMER && wParam == kNoticeTimer)) {
        if (auto* self = reinterpret_cast<StreamPlayer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->TakeNotices();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void StreamPlayer::EndSession() {
    ++generation_;  // whatever the old playback still reports is stale from now on
    if (session_) session_->Abandon();
    session_.reset();
}

HRESULT StreamPlayer::SetUrl(const std::wstring& url) {
    if (!window_) return S_FALSE;
    const bool wasActive = Active();
    EndSession();
    url_ = url;
    if (wasActive && url.empty()) {
        notices_->Post(Notice{Notice::Kind::State, generation_, kPlayStateStopped, {}});
        WatchNotices();
    }
    return S_OK;
}

HRESULT StreamPlayer::Play() {
    if (!window_) return S_FALSE;
    if (Active() || url_.empty()) return S_OK;
    ++generation_;
    session_ = StreamSession::Start(url_, generation_, notices_, volume_, parts_);
    WatchNotices();
    return S_OK;
}

HRESULT StreamPlayer::Stop() {
    if (!window_) return S_FALSE;
    EndSession();
    // Posted like every other notice, so it arrives after what the UI thread is doing now.
    notices_->Post(Notice{Notice::Kind::State, generation_, kPlayStateStopped, {}});
    WatchNotices();
    return S_OK;
}

// A posted wake-up can be lost (a full message queue): the timer takes the notices then. It
// runs only while something may still report.
void StreamPlayer::WatchNotices() { SetTimer(window_, kNoticeTimer, kNoticeTimerMs, nullptr); }

HRESULT StreamPlayer::SetVolume(int volume) {
    volume_->store(std::clamp(volume, 0, 100));
    return window_ ? S_OK : S_FALSE;
}

void StreamPlayer::SystemResumed() {
    if (session_) session_->ReconnectNow();
}

void StreamPlayer::TakeNotices() {
    for (const Notice& n : notices_->Take()) {
        if (n.generation != generation_) continue;  // about a playback that was abandoned
        Deliver(n);
    }
    if (!Active() && notices_->Empty()) KillTimer(window_, kNoticeTimer);
}

void StreamPlayer::Deliver(const Notice& notice) {
    switch (notice.kind) {
        case Notice::Kind::State:
            // A playback that reached its end or failed for good is over; the next Play starts
            // anew, and nothing it still reports is heard after its last state.
            if (notice.state == kPlayStateStopped || notice.state == kPlayStateReady) EndSession();
            if (listener_) listener_->OnPlayStateChange(notice.state);
            break;
        case Notice::Kind::Title:
            if (listener_) listener_->OnTitleChange(notice.text);
            break;
        case Notice::Kind::Failure:
            if (listener_) listener_->OnPlaybackFailed(notice.text);
            break;
        case Notice::Kind::HandOver:
            EndSession();
            if (handOver_) handOver_(notice.text);
            break;
    }
}

}  // namespace zarvio::stream
