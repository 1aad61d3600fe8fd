// The registry as the program uses it: string values under a key of the machine's or the
// current user's hive. Behind an interface, so the program's answer to a refused write (a
// limited account's) is the same wherever the refusal comes from.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace zarvio {

enum class RegistryRoot { LocalMachine, CurrentUser };

// A value exactly as stored: its type and its bytes.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

class RegistryService {
public:
    virtual ~RegistryService() = default;
    // Opens the key, creating it when missing, and stores text plus its terminating zero as a
    // REG_SZ value, replacing any value of that name. False when the key or the value is refused.
    [[nodiscard]] virtual bool SetString(RegistryRoot root, const std::wstring& subkey, const std::wstring& name,
                           const std::wstring& text) = 0;
    // Removes the value. False when it could not be removed, also when there was none.
    [[nodiscard]] virtual bool DeleteValue(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) = 0;
    // The value's type and bytes; nullopt for a missing key, a missing value or a failed read.
    virtual std::optional<RegistryValue> QueryValue(RegistryRoot root, const std::wstring& subkey,
                                                    const std::wstring& name) = 0;
};

class Win32Registry final : public RegistryService {
public:
    bool SetString(RegistryRoot root, const std::wstring& subkey, const std::wstring& name,
                   const std::wstring& text) override;
    bool DeleteValue(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) override;
    std::optional<RegistryValue> QueryValue(RegistryRoot root, const std::wstring& subkey,
                                            const std::wstring& name) override;
};

HKEY RootKey(RegistryRoot root);

}  // namespace zarvio
