// The media-player service over the Windows Media Player COM component, used without a window.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <string>

#include "platform/handles.h"
#include "platform/media_player.h"

struct IWMPPlayer4;
struct IWMPControls;
struct IWMPSettings;

namespace zarvio {

class WmpMediaPlayer final : public MediaPlayer {
public:
    // Creates and configures the component on the calling thread, which must be in a
    // single-threaded apartment and pump messages; notifications arrive there. When the component
    // cannot be created the player is unavailable. The second constructor takes the class id of the component to create.
    explicit WmpMediaPlayer(const std::wstring& initialUrl = kDefaultStreamUrl);
    WmpMediaPlayer(const std::wstring& initialUrl, const CLSID& component);
    ~WmpMediaPlayer() override;
    WmpMediaPlayer(const WmpMediaPlayer&) = delete;
    WmpMediaPlayer& operator=(const WmpMediaPlayer&) = delete;

    bool Available() const override;
    HRESULT SetUrl(const std::wstring& url) override;
    HRESULT Play() override;
    HRESULT Stop() override;
    HRESULT SetVolume(int volume) override;
    void SetListener(MediaPlayerListener* listener) override;

    // Why the component is unavailable, or S_OK.
    HRESULT CreationResult() const { return created_; }
    // Whether the notifications are connected (the player works without them, but mute).
    bool EventsConnected() const { return cookie_ != 0; }

private:
    class EventSink;

    void Connect();
    void Disconnect();

    HRESULT created_ = E_FAIL;
    ComPtr<IWMPPlayer4> player_;
    ComPtr<IWMPSettings> settings_;
    ComPtr<IWMPControls> controls_;
    ComPtr<IConnectionPoint> point_;
    ComPtr<EventSink> sink_;
    DWORD cookie_ = 0;
    MediaPlayerListener* listener_ = nullptr;
};

// Hands one event of the component to the listener. Only PlayStateChange with one integer argument
// and StatusChange reach it; anything else, or arguments of the wrong count or type, is dropped.
// Returns whether the event was delivered.
bool DispatchPlayerEvent(DISPID event, const DISPPARAMS* params, MediaPlayerListener* listener);

}  // namespace zarvio
