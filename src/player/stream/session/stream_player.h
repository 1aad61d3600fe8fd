// The program's own player for http and https streams, behind the media-player service. It keeps
// the address and the current playback; all its notifications arrive on the thread that created
// it (the UI thread), through a message-only window, as the Windows Media Player component's do.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/media_player.h"
#include "player/stream/session/notice_box.h"
#include "player/stream/session/stream_session.h"

namespace zarvio::stream {

class StreamPlayer final : public MediaPlayer {
public:
    explicit StreamPlayer(std::wstring initialUrl = kDefaultStreamUrl, StreamParts parts = {});
    ~StreamPlayer() override;
    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    bool Available() const override { return window_ != nullptr; }
    // Stops whatever plays and keeps the address for the next Play. The empty address is
    // accepted: it stops, and Play then plays nothing.
    HRESULT SetUrl(const std::wstring& url) override;
    // Starts a playback of the address unless one is connecting or playing.
    HRESULT Play() override;
    HRESULT Stop() override;
    HRESULT SetVolume(int volume) override;
    void SetListener(MediaPlayerListener* listener) override { listener_ = listener; }
    void SystemResumed() override;

    // Called on the UI thread when the content at the address is for the Windows Media Player
    // component (WMA/ASF); the playback has then ended without a state of its own.
    void SetHandOver(std::function<void(const std::wstring& url)> handOver) { handOver_ = std::move(handOver); }

    const std::wstring& url() const { return url_; }
    // Whether a playback is under way (connecting, buffering, playing or waiting to reconnect).
    bool Active() const { return static_cast<bool>(session_); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void TakeNotices();
    void Deliver(const Notice& notice);
    void EndSession();
    void WatchNotices();

    std::wstring url_;
    StreamParts parts_;
    std::shared_ptr<NoticeBox> notices_;
    std::shared_ptr<std::atomic<int>> volume_ = std::make_shared<std::atomic<int>>(100);
    std::shared_ptr<StreamSession> session_;
    uint64_t generation_ = 0;
    HWND window_ = nullptr;
    MediaPlayerListener* listener_ = nullptr;
    std::function<void(const std::wstring&)> handOver_;
};

}  // namespace zarvio::stream
