#include "player/media_router.h"

#include <cwctype>

namespace zarvio {

bool IsStreamAddress(const std::wstring& url) {
    auto startsWith = [&](const wchar_t* scheme) {
        size_t i = 0;
        for (; scheme[i]; ++i) {
            if (i >= url.size() || std::towlower(url[i]) != scheme[i]) return false;
        }
        return true;
    };
    return startsWith(L"http://") || startsWith(L"https://");
}

MediaRouter::MediaRouter(stream::StreamPlayer& streams, MediaPlayer& component)
    : streams_(streams), component_(component) {
    streams_.SetListener(&streamRelay_);
    component_.SetListener(&componentRelay_);
    streams_.SetHandOver([this](const std::wstring& url) { HandOver(url); });
}

MediaRouter::~MediaRouter() {
    streams_.SetHandOver(nullptr);
    streams_.SetListener(nullptr);
    component_.SetListener(nullptr);
}

HRESULT MediaRouter::SetUrl(const std::wstring& url) {
    if (url.empty() || IsStreamAddress(url)) {
        if (current_ == Current::Component) (void)component_.Stop();
        current_ = Current::Streams;
        return streams_.SetUrl(url);
    }
    (void)streams_.SetUrl(L"");  // silent at once; the component's events take over
    if (!component_.Available()) {
        current_ = Current::Nobody;
        return S_OK;  // nothing to hand the address to: Play says why
    }
    current_ = Current::Component;
    return component_.SetUrl(url);
}

HRESULT MediaRouter::Play() {
    switch (current_) {
        case Current::Streams: return streams_.Play();
        case Current::Component: return component_.Play();
        case Current::Nobody: FailForMissingComponent(); return S_OK;
    }
    return S_OK;
}

HRESULT MediaRouter::Stop() {
    switch (current_) {
        case Current::Streams: return streams_.Stop();
        case Current::Component: return component_.Stop();
        case Current::Nobody: return S_OK;
    }
    return S_OK;
}

HRESULT MediaRouter::SetVolume(int volume) {
    const HRESULT streams = streams_.SetVolume(volume);
    (void)component_.SetVolume(volume);  // a missing component has no volume to keep
    return streams;
}

void MediaRouter::SystemResumed() {
    if (current_ == Current::Streams) streams_.SystemResumed();
}

void MediaRouter::HandOver(const std::wstring& url) {
    if (!component_.Available()) {
        current_ = Current::Nobody;
        FailForMissingComponent();
        return;
    }
    current_ = Current::Component;
    (void)component_.SetUrl(url);
    (void)component_.Play();
}

void MediaRouter::FailForMissingComponent() {
    if (!listener_) return;
    listener_->OnPlaybackFailed(kComponentMissingText);
    listener_->OnPlayStateChange(kPlayStateReady);
}

MediaPlayerListener* MediaRouter::Relay::Target() const {
    return router_.current_ == who_ ? router_.listener_ : nullptr;
}

void MediaRouter::Relay::OnPlayStateChange(int state) {
    if (auto* l = Target()) l->OnPlayStateChange(state);
}
void MediaRouter::Relay::OnStatusChange() {
    if (auto* l = Target()) l->OnStatusChange();
}
void MediaRouter::Relay::OnTitleChange(const std::wstring& title) {
    if (auto* l = Target()) l->OnTitleChange(title);
}
void MediaRouter::Relay::OnPlaybackFailed(const std::wstring& text) {
    if (auto* l = Target()) l->OnPlaybackFailed(text);
}

}  // namespace zarvio
