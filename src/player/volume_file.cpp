#include "player/volume_file.h"

#include <algorithm>

#include "platform/files.h"

namespace zarvio {

int ParseVolume(std::string_view bytes) {
    const size_t end = bytes.find_first_of("\r\n");
    std::string_view line = bytes.substr(0, end);
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    bool digits = false;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        digits = true;
        // Saturate long before overflow: anything this large clamps to 100 anyway.
        value = std::min<long long>(value * 10 + (line[i] - '0'), 1000);
    }
    if (!digits) return kDefaultVolume;
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, 0, 100));
}

std::string FormatVolume(int volume) {
    std::string line(1, ' ');
    line += std::to_string(std::clamp(volume, 0, 100));
    line += " \r\n";
    return line;
}

int ReadVolumeFile(const std::wstring& appDir) {
    const auto bytes = ReadFileBytes(JoinPath(appDir, kVolumeFileName));
    return bytes ? ParseVolume(*bytes) : kDefaultVolume;
}

std::optional<int> ReadStoredVolume(const std::wstring& appDir) {
    // The file is one short line; anything near this size is not a volume file.
    constexpr std::uint64_t kMaxBytes = std::uint64_t{64} << 20;
    std::string bytes;
    switch (ReadFileUpTo(JoinPath(appDir, kVolumeFileName), kMaxBytes, bytes)) {
    case ReadOutcome::Read: return ParseVolume(bytes);
    case ReadOutcome::Unreadable: return std::nullopt;
    default: return kDefaultVolume;
    }
}

bool VolumeFileHolds(const std::wstring& appDir, int volume) {
    std::string bytes;
    return ReadFileUpTo(JoinPath(appDir, kVolumeFileName), 64, bytes) == ReadOutcome::Read &&
           bytes == FormatVolume(volume);
}

bool WriteVolumeFile(const std::wstring& appDir, int volume) {
    return WriteVolumeFile(SystemFileWriter(), appDir, volume);
}

bool WriteVolumeFile(FileWriter& files, const std::wstring& appDir, int volume) {
    return files.Replace(JoinPath(appDir, kVolumeFileName), FormatVolume(volume));
}

}  // namespace zarvio
