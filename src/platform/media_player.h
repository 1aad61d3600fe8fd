// The media-player service: plays the stream at an address and reports its progress.
#pragma once
#include <windows.h>

#include <string>

#include "platform/play_states.h"

namespace zarvio {

// What Play plays before any station was chosen: a news stream over plain http(s), because the
// current Windows Media Player no longer speaks mms.
inline constexpr wchar_t kDefaultStreamUrl[] = L"https://npr-ice.streamguys1.com/live.mp3";

// Receives the component's notifications, always on the UI thread (the thread that created the
// player). They may arrive while a call such as Play or Stop is still running.
class MediaPlayerListener {
public:
    virtual void OnPlayStateChange(int state) = 0;
    virtual void OnStatusChange() = 0;
    // The title of what is heard now (empty when the stream names none). Only the stream player
    // knows titles.
    virtual void OnTitleChange(const std::wstring& /*title*/) {}
    // Playback ended for good; text says why in a few words, for the now-playing line.
    virtual void OnPlaybackFailed(const std::wstring& /*text*/) {}

protected:
    ~MediaPlayerListener() = default;
};

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // False when the media component is missing; then every other call does nothing.
    virtual bool Available() const = 0;

    // Hands the component an address; it opens it but does not start playing by itself.
    // On failure the component keeps the address it had. S_FALSE when the component is missing.
    virtual HRESULT SetUrl(const std::wstring& url) = 0;

    // Plays or stops whatever address was set last.
    virtual HRESULT Play() = 0;
    virtual HRESULT Stop() = 0;

    // 0 (silent) to 100 (full); values outside are clamped.
    virtual HRESULT SetVolume(int volume) = 0;

    // Null stops the notifications. The listener must outlive the player or be reset first.
    virtual void SetListener(MediaPlayerListener* listener) = 0;

    // The computer woke from sleep: a player waiting to reconnect tries again at once.
    virtual void SystemResumed() {}
};

// Stands in where a window is given no player: every call succeeds and nothing plays. It counts
// as available, since there is no component to miss.
class SilentPlayer final : public MediaPlayer {
public:
    bool Available() const override { return true; }
    HRESULT SetUrl(const std::wstring&) override { return S_OK; }
    HRESULT Play() override { return S_OK; }
    HRESULT Stop() override { return S_OK; }
    HRESULT SetVolume(int) override { return S_OK; }
    void SetListener(MediaPlayerListener*) override {}
};

}  // namespace zarvio
