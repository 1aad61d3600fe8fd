// Media Foundation, loaded at run time: editions of Windows without it (the N editions without
// their Media Feature Pack) must still start the program, so mfplat.dll is never linked.
#pragma once
#include <windows.h>
#include <mfapi.h>
#include <mfidl.h>

#include <memory>

namespace zarvio::stream {

class MediaFoundation {
public:
    // The platform started for the caller's use, or nullptr when the system has none. Each owner
    // holds one start (Media Foundation counts them) and the library stays loaded as long.
    static std::shared_ptr<MediaFoundation> Load();
    ~MediaFoundation();
    MediaFoundation(const MediaFoundation&) = delete;
    MediaFoundation& operator=(const MediaFoundation&) = delete;

    decltype(&::MFCreateMediaType) CreateMediaType = nullptr;
    decltype(&::MFCreateSample) CreateSample = nullptr;
    decltype(&::MFCreateMemoryBuffer) CreateMemoryBuffer = nullptr;

private:
    MediaFoundation() = default;
    HMODULE module_ = nullptr;
    decltype(&::MFShutdown) shutdown_ = nullptr;
};

}  // namespace zarvio::stream
