// The one media-player service the main window sees, with two players behind it: the program's
// own stream player for http and https addresses, and the Windows Media Player component for
// every other address and for content the stream player hands over (WMA/ASF). Only the player
// in charge of the current address reaches the listener.
#pragma once
#include <string>

#include "platform/media_player.h"
#include "player/stream/session/stream_player.h"

namespace zarvio {

// The line shown when an address needs the component and the component is missing.
inline constexpr wchar_t kComponentMissingText[] = L"未找到 Windows Media Player 组件，无法播放此地址";

// Whether the stream player plays this address (http:// or https://, any letter case).
bool IsStreamAddress(const std::wstring& url);

class MediaRouter final : public MediaPlayer {
public:
    // Neither player is owned; both must outlive the router. The component may be unavailable.
    MediaRouter(stream::StreamPlayer& streams, MediaPlayer& component);
    ~MediaRouter() override;
    MediaRouter(const MediaRouter&) = delete;
    MediaRouter& operator=(const MediaRouter&) = delete;

    // Always: the stream player needs no component.
    bool Available() const override { return true; }
    HRESULT SetUrl(const std::wstring& url) override;
    HRESULT Play() override;
    HRESULT Stop() override;
    HRESULT SetVolume(int volume) override;
    void SetListener(MediaPlayerListener* listener) override { listener_ = listener; }
    void SystemResumed() override;

    // Which player holds the current address.
    bool ComponentInCharge() const { return current_ == Current::Component; }

private:
    enum class Current { Streams, Component, Nobody };

    // Forwards one player's notifications while that player is in charge.
    class Relay final : public MediaPlayerListener {
    public:
        Relay(MediaRouter& router, Current who) : router_(router), who_(who) {}
        void OnPlayStateChange(int state) override;
        void OnStatusChange() override;
        void OnTitleChange(const std::wstring& title) override;
        void OnPlaybackFailed(const std::wstring& text) override;

    private:
        MediaPlayerListener* Target() const;
        MediaRouter& router_;
        Current who_;
    };

    void HandOver(const std::wstring& url);
    void FailForMissingComponent();

    stream::StreamPlayer& streams_;
    MediaPlayer& component_;
    Relay streamRelay_{*this, Current::Streams};
    Relay componentRelay_{*this, Current::Component};
    Current current_ = Current::Streams;
    MediaPlayerListener* listener_ = nullptr;
};

}  // namespace zarvio
