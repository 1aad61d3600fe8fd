#include "stations/station_store.h"

#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "stations/station_lines.h"

namespace zarvio {

std::wstring NamesFilePath(const std::wstring& appDir) { return JoinPath(appDir, kNamesFileName); }
std::wstring UrlsFilePath(const std::wstring& appDir) { return JoinPath(appDir, kUrlsFileName); }

std::vector<std::string> SplitStationLines(std::string_view bytes) {
    std::vector<std::string> lines;
    ForEachStationLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

StationFileBytes ReadStationBytes(const std::wstring& path) {
    StationFileBytes file;
    file.outcome = ReadFileUpTo(path, kMaxStationFileBytes, file.bytes);
    return file;
}

std::wstring DecodeStationLine(std::string_view line) { return FromAnsi(line); }

// Each line is decoded on its own: a lead byte at the end of a line would otherwise take the CR
// after it as its trail byte and join two lines.
std::vector<std::wstring> ReadStationFile(const std::wstring& path) {
    std::vector<std::wstring> out;
    const StationFileBytes file = ReadStationBytes(path);
    if (file.outcome != ReadOutcome::Read) return out;
    out.reserve(CountStationLines(file.bytes));
    ForEachStationLine(file.bytes, [&out](std::string_view line) { AppendFromAnsi(out.emplace_back(), line); });
    return out;
}

bool FitsOnOneLine(std::wstring_view text) { return text.find_first_of(L"\r\n") == std::wstring_view::npos; }

namespace {

// What must go before an appended line so that it starts a line of its own. A hand-edited file
// may lack the terminator after its last line (or end in a lone LF, which ends no line); the new
// text would then join that line and the two files would go out of step.
std::string_view LineBreakBefore(std::string_view bytes) {
    if (bytes.empty()) return {};
    const char last = bytes.back();
    if (last == '\r') return {};
    if (last == '\n' && bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r') return {};
    return "\r\n";
}

}  // namespace

StationChange AppendStation(FileWriter& files, const std::wstring& appDir, std::wstring_view name,
                            std::wstring_view url) {
    // A line break would make the station two lines in one file and one in the other.
    if (!FitsOnOneLine(name) || !FitsOnOneLine(url)) return StationChange::LineBreak;
    const std::wstring names = NamesFilePath(appDir);
    const std::wstring urls = UrlsFilePath(appDir);
    const StationFileBytes namesBefore = ReadStationBytes(names);
    const StationFileBytes urlsBefore = ReadStationBytes(urls);
    for (const ReadOutcome outcome : {namesBefore.outcome, urlsBefore.outcome}) {
        if (outcome == ReadOutcome::TooLarge) return StationChange::TooLarge;
        // A file that is there but cannot be read can be neither checked for its last line end
        // nor, for the names file, put back as it was if the address then fails: write nothing.
        if (outcome == ReadOutcome::Unreadable) return StationChange::Unreadable;
    }

    std::string nameLine(LineBreakBefore(namesBefore.bytes));
    nameLine += ToAnsi(name);
    nameLine += "\r\n";
    std::string urlLine(LineBreakBefore(urlsBefore.bytes));
    urlLine += ToAnsi(url);
    urlLine += "\r\n";

    if (!files.Append(names, nameLine)) return StationChange::NotWritten;
    if (files.Append(urls, urlLine)) return StationChange::Done;
    // The address could not be stored: take the name back so that the two files stay in step.
    const bool takenBack = namesBefore.outcome == ReadOutcome::Read ? files.Replace(names, namesBefore.bytes)
                                                                     : files.Remove(names);
    return takenBack ? StationChange::NotWritten : StationChange::OutOfStep;
}

namespace {

// The file's lines without line index, each followed by CR LF.
std::string WithoutLine(std::string_view bytes, size_t index) {
    std::string kept;
    kept.reserve(bytes.size() + 2);
    size_t n = 0;
    ForEachStationLine(bytes, [&](std::string_view line) {
        if (n++ == index) return;
        kept.append(line);
        kept += "\r\n";
    });
    return kept;
}

// Reads the file and checks line index against what was seen; file receives what was read.
StationChange ReadAndCheck(const std::wstring& path, size_t index, const std::optional<std::string>& seen,
                           StationFileBytes& file) {
    file = ReadStationBytes(path);
    if (file.outcome == ReadOutcome::TooLarge) return StationChange::TooLarge;
    if (file.outcome == ReadOutcome::Unreadable) return StationChange::Unreadable;
    std::optional<std::string_view> line;
    size_t n = 0;
    ForEachStationLine(file.bytes, [&](std::string_view l) {
        if (n++ == index) line = l;
    });
    if (seen ? (!line || *line != *seen) : line.has_value()) return StationChange::Changed;
    return StationChange::Done;
}

}  // namespace

StationChange CheckSeenLine(const std::wstring& path, size_t index, const std::optional<std::string>& seen) {
    StationFileBytes file;
    return ReadAndCheck(path, index, seen, file);
}

StationChange RemoveSeenLine(FileWriter& files, const std::wstring& path, size_t index,
                             const std::optional<std::string>& seen, std::string* before) {
    StationFileBytes file;
    const StationChange check = ReadAndCheck(path, index, seen, file);
    if (check != StationChange::Done || !seen) return check;
    if (!files.Replace(path, WithoutLine(file.bytes, index))) return StationChange::NotWritten;
    if (before) *before = std::move(file.bytes);
    return StationChange::Done;
}

bool RemoveStationLine(const std::wstring& path, size_t index) {
    const StationFileBytes file = ReadStationBytes(path);
    // Present but unreadable or oversized: writing would lose it.
    if (file.outcome != ReadOutcome::Read && file.outcome != ReadOutcome::Missing) return false;
    return WriteFileAtomically(path, WithoutLine(file.bytes, index));
}

}  // namespace zarvio
