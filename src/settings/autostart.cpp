#include "settings/autostart.h"

#include <algorithm>

#include "platform/text.h"

namespace zarvio {

std::wstring AutostartProgramPath(const std::wstring& appDir, const std::wstring& programBaseName) {
    return appDir + L"\\" + programBaseName + L".exe";
}

std::wstring GetRegistryString(RegistryService& registry, RegistryRoot root, const std::wstring& subkey,
                               const std::wstring& name) {
    const auto value = registry.QueryValue(root, subkey, name);
    if (!value || value->type != REG_SZ) return {};
    // The stored bytes need not end in a zero, nor even fill the last character.
    const size_t chars = (value->data.size() + sizeof(wchar_t) - 1) / sizeof(wchar_t);
    std::wstring text(chars, L'\0');
    std::copy(value->data.begin(), value->data.end(), reinterpret_cast<BYTE*>(text.data()));
    const size_t zero = text.find(L'\0');
    if (zero != std::wstring::npos) text.resize(zero);
    return text;
}

std::wstring ReadAutostart(RegistryService& registry) {
    std::wstring machine = Trim(GetRegistryString(registry, RegistryRoot::LocalMachine, kRunSubkey,
                                                  kAutostartValueName));
    if (!machine.empty()) return machine;
    return Trim(GetRegistryString(registry, RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName));
}

namespace {

bool SameText(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// The path a Run value names: blanks trimmed, one pair of enclosing quotation marks taken off.
std::wstring NamedPath(const std::wstring& value) {
    std::wstring path = Trim(value);
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') path = Trim(path.substr(1, path.size() - 2));
    return path;
}

std::wstring_view FileNameOf(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

std::wstring RunValue(RegistryService& registry, RegistryRoot root) {
    return GetRegistryString(registry, root, kRunSubkey, kAutostartValueName);
}

}  // namespace

bool NamesThisProgram(const std::wstring& value, const std::wstring& programPath) {
    const std::wstring path = NamedPath(value);
    return !path.empty() && SameText(FileNameOf(path), FileNameOf(programPath));
}

bool NamesThisPath(const std::wstring& value, const std::wstring& programPath) {
    return SameText(NamedPath(value), programPath);
}

AutostartFound FindAutostart(RegistryService& registry, const std::wstring& programPath) {
    AutostartFound found;
    found.machine = NamesThisProgram(RunValue(registry, RegistryRoot::LocalMachine), programPath);
    found.user = NamesThisProgram(RunValue(registry, RegistryRoot::CurrentUser), programPath);
    return found;
}

void RenewAutostart(RegistryService& registry, const std::wstring& programPath, AutostartFound where) {
    if (where.machine)
        (void)registry.SetString(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, programPath);
    if (where.user)
        (void)registry.SetString(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName, programPath);
}

bool SetAutostart(RegistryService& registry, const std::wstring& programPath, bool enable) {
    if (!enable) {
        // Each delete may fail (a value that is not there, a hive the account may not change);
        // the read below tells what is left.
        (void)registry.DeleteValue(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName);
        (void)registry.DeleteValue(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName);
        return FindAutostart(registry, programPath).any();
    }
    if (registry.SetString(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, programPath)) {
        // An earlier per-user registration would start a second copy at logon.
        (void)registry.DeleteValue(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName);
        return true;
    }
    // When an administrator registered this very path machine-wide, a limited account must not
    // add its own copy of it, or two instances would start at logon.
    if (NamesThisPath(RunValue(registry, RegistryRoot::LocalMachine), programPath)) return true;
    return registry.SetString(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName, programPath);
}

}  // namespace zarvio
