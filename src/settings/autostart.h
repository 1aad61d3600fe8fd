// Registration of the program to be started by the system at logon: one string value under a
// Run key of the registry. The machine-wide key is tried first; an account that may not change
// it registers under its own Run key instead, so the program never claims a registration that
// was refused.
#pragma once
#include <string>

#include "platform/registry.h"

namespace zarvio {

inline constexpr wchar_t kRunSubkey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kAutostartValueName[] = L"MySoftware1";

// The text the Run value holds: the application directory, "\", the program's file name and
// ".exe", unquoted. The separator is always added, so a drive root ("C:\") gives two in a row.
std::wstring AutostartProgramPath(const std::wstring& appDir, const std::wstring& programBaseName);

// The data of a REG_SZ value up to its first zero character; the empty text for a missing key,
// a missing value or a value of any other type.
std::wstring GetRegistryString(RegistryService& registry, RegistryRoot root, const std::wstring& subkey,
                               const std::wstring& name);

// The registration as it stands, blanks trimmed: the machine's value when it holds something,
// otherwise the current user's. Empty when the program is not registered.
std::wstring ReadAutostart(RegistryService& registry);

// Whether a Run value stands for this program: its text, blanks trimmed and one pair of
// enclosing quotation marks taken off, names a file of programPath's file name (this program,
// also from a folder it was moved away from). A value naming another program does not count.
bool NamesThisProgram(const std::wstring& value, const std::wstring& programPath);

// Whether a Run value names exactly programPath, with or without quotation marks around it.
bool NamesThisPath(const std::wstring& value, const std::wstring& programPath);

// The hives whose Run value stands for this program.
struct AutostartFound {
    bool machine = false;
    bool user = false;
    bool any() const { return machine || user; }
};
AutostartFound FindAutostart(RegistryService& registry, const std::wstring& programPath);

// Writes programPath again into each hive where a registration was found, so it names the
// program where it runs now. Never creates a value in a hive that had none; a refused write
// leaves the old value.
void RenewAutostart(RegistryService& registry, const std::wstring& programPath, AutostartFound where);

// Enabling writes programPath under the machine's Run key, or under the user's when the machine
// refuses (unless the machine's value already names this very path); disabling removes the value
// from both. Returns whether this program is registered afterwards.
bool SetAutostart(RegistryService& registry, const std::wstring& programPath, bool enable);

}  // namespace zarvio
