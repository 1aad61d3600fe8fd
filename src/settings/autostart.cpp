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

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

bool SetAutostart(RegistryService& registry, const std::wstring& programPath, bool enable) {
    if (enable) {
        if (registry.SetString(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName, programPath)) {
            // An earlier per-user registration would start a second copy at logon.
            (void)registry.DeleteValue(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName);
        } else if (!SamePath(Trim(GetRegistryString(registry, RegistryRoot::LocalMachine, kRunSubkey,
                                                    kAutostartValueName)),
                             programPath)) {
            // The settings window rewrites the value each time it loads. When an administrator
            // registered this very path machine-wide, a limited account must not add its own copy
            // of it, or two instances would start at logon.
            (void)registry.SetString(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName, programPath);
        }
    } else {
        // Each delete may fail (a value that is not there, a hive the account may not change);
        // the read below tells what is left.
        (void)registry.DeleteValue(RegistryRoot::LocalMachine, kRunSubkey, kAutostartValueName);
        (void)registry.DeleteValue(RegistryRoot::CurrentUser, kRunSubkey, kAutostartValueName);
    }
    return !ReadAutostart(registry).empty();
}

}  // namespace zarvio
