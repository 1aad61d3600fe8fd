// A media player for logic tests: records every call and lets the test raise the notifications.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/media_player.h"

namespace zarvio {

class FakeMediaPlayer final : public MediaPlayer {
public:
    explicit FakeMediaPlayer(std::wstring initialUrl = kDefaultStreamUrl) : url(std::move(initialUrl)) {}

    bool Available() const override { return available; }

    HRESULT SetUrl(const std::wstring& address) override {
        calls.push_back(L"SetUrl " + address);
        if (!available) return S_FALSE;
        if (FAILED(setUrlResult)) return setUrlResult;  // like the component: the old address stays
        url = address;
        return S_OK;
    }
    HRESULT Play() override {
        calls.push_back(L"Play");
        if (!available) return S_FALSE;
        played.push_back(url);
        return playResult;
    }
    HRESULT Stop() override {
        calls.push_back(L"Stop");
        return available ? S_OK : S_FALSE;
    }
    HRESULT SetVolume(int value) override {
        calls.push_back(L"SetVolume " + std::to_wstring(value));
        if (!available) return S_FALSE;
        volume = value < 0 ? 0 : value > 100 ? 100 : value;
        return S_OK;
    }
    void SetListener(MediaPlayerListener* l) override { listener = l; }

    void FirePlayStateChange(int state) {
        if (listener) listener->OnPlayStateChange(state);
    }
    void FireStatusChange() {
        if (listener) listener->OnStatusChange();
    }
    void FireTitleChange(const std::wstring& title) {
        if (listener) listener->OnTitleChange(title);
    }
    void FirePlaybackFailed(const std::wstring& text) {
        if (listener) listener->OnPlaybackFailed(text);
    }
    void SystemResumed() override { ++resumes; }

    // What the test may set.
    bool available = true;
    HRESULT setUrlResult = S_OK;
    HRESULT playResult = S_OK;

    // What the test reads.
    std::vector<std::wstring> calls;   // "SetUrl <address>", "Play", "Stop", "SetVolume <n>"
    std::vector<std::wstring> played;  // the address held at each Play
    std::wstring url;
    int volume = 100;
    int resumes = 0;
    MediaPlayerListener* listener = nullptr;
};

}  // namespace zarvio
