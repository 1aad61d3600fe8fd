#include "platform/media_player_wmp.h"

#include <oleauto.h>
#include <wmp.h>
#include <wmpids.h>

#include <algorithm>
#include <optional>

#include "platform/com_support.h"

namespace zarvio {
namespace {

// The integer inside a variant of any integral type, by value or by reference.
std::optional<long> IntegerOf(const VARIANT& v) {
    const VARTYPE type = V_VT(&v) & ~VT_BYREF;
    const bool ref = (V_VT(&v) & VT_BYREF) != 0;
    if (ref && !V_BYREF(&v)) return std::nullopt;
    switch (type) {
        case VT_I4: return ref ? *V_I4REF(&v) : V_I4(&v);
        case VT_UI4: return static_cast<long>(ref ? *V_UI4REF(&v) : V_UI4(&v));
        case VT_INT: return ref ? *V_INTREF(&v) : V_INT(&v);
        case VT_UINT: return static_cast<long>(ref ? *V_UINTREF(&v) : V_UINT(&v));
        case VT_I2: return ref ? *V_I2REF(&v) : V_I2(&v);
        case VT_UI2: return ref ? *V_UI2REF(&v) : V_UI2(&v);
        case VT_I1: return ref ? *V_I1REF(&v) : V_I1(&v);
        case VT_UI1: return ref ? *V_UI1REF(&v) : V_UI1(&v);
        default: return std::nullopt;
    }
}

}  // namespace

bool DispatchPlayerEvent(DISPID event, const DISPPARAMS* params, MediaPlayerListener* listener) {
    if (!listener) return false;
    switch (event) {
        case DISPID_WMPCOREEVENT_PLAYSTATECHANGE: {
            if (!params || params->cArgs != 1 || !params->rgvarg) return false;
            const std::optional<long> state = IntegerOf(params->rgvarg[0]);
            if (!state) return false;
            listener->OnPlayStateChange(static_cast<int>(*state));
            return true;
        }
        case DISPID_WMPCOREEVENT_STATUSCHANGE:
            listener->OnStatusChange();
            return true;
        default:
            return false;
    }
}

// Receives the component's _WMPOCXEvents. It outlives its owner only while the component still
// holds it, and then forwards nothing: the owner detaches it before letting go.
class WmpMediaPlayer::EventSink final : public IDispatch {
public:
    explicit EventSink(WmpMediaPlayer* owner) : owner_(owner) {}
    void Detach() { owner_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(_WMPOCXEvents)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (result) VariantInit(result);
        // Events we do not use are accepted and dropped: an error would only make the
        // component think the sink is broken.
        if (owner_) DispatchPlayerEvent(event, params, owner_->listener_);
        return S_OK;
    }

private:
    ~EventSink() = default;
    LONG refs_ = 1;
    WmpMediaPlayer* owner_;
};

WmpMediaPlayer::WmpMediaPlayer(const std::wstring& initialUrl)
    : WmpMediaPlayer(initialUrl, __uuidof(WindowsMediaPlayer)) {}

WmpMediaPlayer::WmpMediaPlayer(const std::wstring& initialUrl, const CLSID& component) {
    created_ = CoCreateInstance(component, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWMPPlayer4),
                                reinterpret_cast<void**>(player_.put()));
    if (FAILED(created_)) return;
    HRESULT hr = player_->get_settings(settings_.put());
    if (SUCCEEDED(hr) && settings_) hr = player_->get_controls(controls_.put());
    if (FAILED(hr) || !settings_ || !controls_) {
        // A component without controls or settings cannot play: treat it as missing.
        created_ = FAILED(hr) ? hr : E_NOINTERFACE;
        controls_.reset();
        settings_.reset();
        player_.reset();
        return;
    }
    // The configuration is best effort: a component that refuses one of these still plays.
    const Bstr none(L"none");
    (void)player_->put_uiMode(none.get());
    (void)player_->put_enableContextMenu(VARIANT_FALSE);
    (void)settings_->put_enableErrorDialogs(VARIANT_FALSE);
    // Before the address, so that setting it never starts playback.
    (void)settings_->put_autoStart(VARIANT_FALSE);
    (void)settings_->put_volume(100);
    Connect();
    if (!initialUrl.empty()) (void)SetUrl(initialUrl);
}

WmpMediaPlayer::~WmpMediaPlayer() {
    Disconnect();
    if (player_) (void)player_->close();
    controls_.reset();
    settings_.reset();
    player_.reset();
}

void WmpMediaPlayer::Connect() {
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(player_.As(container))) return;
    if (FAILED(container->FindConnectionPoint(__uuidof(_WMPOCXEvents), point_.put())) || !point_) {
        point_.reset();
        return;
    }
    EventSink* sink = new EventSink(this);
    DWORD cookie = 0;
    if (FAILED(point_->Advise(sink, &cookie)) || cookie == 0) {
        sink->Release();
        point_.reset();
        return;
    }
    *sink_.put() = sink;  // our own reference from construction
    cookie_ = cookie;
}

void WmpMediaPlayer::Disconnect() {
    if (sink_) sink_->Detach();
    if (point_ && cookie_ != 0) (void)point_->Unadvise(cookie_);
    cookie_ = 0;
    point_.reset();
    sink_.reset();
}

bool WmpMediaPlayer::Available() const { return static_cast<bool>(player_); }

HRESULT WmpMediaPlayer::SetUrl(const std::wstring& url) {
    if (!player_) return S_FALSE;
    const Bstr address(url);
    if (!address.get()) return E_OUTOFMEMORY;
    return player_->put_URL(address.get());
}

HRESULT WmpMediaPlayer::Play() {
    if (!controls_) return S_FALSE;
    return controls_->play();
}

HRESULT WmpMediaPlayer::Stop() {
    if (!controls_) return S_FALSE;
    return controls_->stop();
}

HRESULT WmpMediaPlayer::SetVolume(int volume) {
    if (!settings_) return S_FALSE;
    return settings_->put_volume(std::clamp(volume, 0, 100));
}

void WmpMediaPlayer::SetListener(MediaPlayerListener* listener) { listener_ = listener; }

}  // namespace zarvio
