#include "player/stream/decode/media_foundation.h"

namespace zarvio::stream {
namespace {

template <typename F>
bool Resolve(HMODULE module, const char* name, F& out) {
    out = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return out != nullptr;
}

}  // namespace

std::shared_ptr<MediaFoundation> MediaFoundation::Load() {
    HMODULE module = LoadLibraryExW(L"mfplat.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) module = LoadLibraryW(L"mfplat.dll");  // systems without the search flags
    if (!module) return nullptr;
    std::shared_ptr<MediaFoundation> mf(new MediaFoundation());
    mf->module_ = module;
    decltype(&::MFStartup) startup = nullptr;
    if (!Resolve(module, "MFStartup", startup) || !Resolve(module, "MFShutdown", mf->shutdown_) ||
        !Resolve(module, "MFCreateMediaType", mf->CreateMediaType) ||
        !Resolve(module, "MFCreateSample", mf->CreateSample) ||
        !Resolve(module, "MFCreateMemoryBuffer", mf->CreateMemoryBuffer)) {
        mf->shutdown_ = nullptr;
        return nullptr;
    }
    if (FAILED(startup(MF_VERSION, MFSTARTUP_LITE))) {
        mf->shutdown_ = nullptr;
        return nullptr;
    }
    return mf;
}

MediaFoundation::~MediaFoundation() {
    if (shutdown_) shutdown_();
    if (module_) FreeLibrary(module_);
}

}  // namespace zarvio::stream
