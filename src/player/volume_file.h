// The volume file sound.ini: one line " <volume> " CR LF in the application directory.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace zarvio {

inline constexpr wchar_t kVolumeFileName[] = L"sound.ini";

// What a missing, empty or digitless file stands for.
inline constexpr int kDefaultVolume = 50;

// The volume in the file's first line: spaces around the number are ignored, an optional sign
// and the digits up to the first other character count. No digits gives the default; a number
// outside 0 to 100 is clamped.
int ParseVolume(std::string_view bytes);

// The file content for a volume (clamped to 0 to 100), e.g. " 50 " CR LF.
std::string FormatVolume(int volume);

int ReadVolumeFile(const std::wstring& appDir);

// The volume the file holds, the default for a missing one; nullopt when a file is there but
// cannot be read (another program holds it), which must then not be overwritten at start-up.
std::optional<int> ReadStoredVolume(const std::wstring& appDir);

// Whether the file holds exactly what writing the volume would put there.
bool VolumeFileHolds(const std::wstring& appDir, int volume);

// Rewrites the file in one step, so an interruption leaves the old or the new content.
bool WriteVolumeFile(const std::wstring& appDir, int volume);
bool WriteVolumeFile(FileWriter& files, const std::wstring& appDir, int volume);

}  // namespace zarvio
