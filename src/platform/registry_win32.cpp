#include "platform/registry.h"

#include "platform/handles.h"

namespace zarvio {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

namespace {

// Opens the key for changing its values, creating it when missing. Asking for write access up
// front makes a hive the account may not change refuse here rather than at the write.
RegKey OpenForWriting(RegistryRoot root, const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(RootKey(root), subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return RegKey();
    return RegKey(key);
}

}  // namespace

bool Win32Registry::SetString(RegistryRoot root, const std::wstring& subkey, const std::wstring& name,
                              const std::wstring& text) {
    RegKey key = OpenForWriting(root, subkey);
    if (!key) return false;
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the zero
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegistryRoot root, const std::wstring& subkey, const std::wstring& name) {
    RegKey key = OpenForWriting(root, subkey);
    if (!key) return false;
    return RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

std::optional<RegistryValue> Win32Registry::QueryValue(RegistryRoot root, const std::wstring& subkey,
                                                       const std::wstring& name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(RootKey(root), subkey.c_str(), 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS)
        return std::nullopt;
    RegKey key(raw);
    // First the type and the size, then the data into a buffer of exactly that size. The value
    // may grow between the two calls; then the read fails and counts as no value.
    RegistryValue value;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(size);
    DWORD got = size;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, size ? value.data.data() : nullptr,
                         &got) != ERROR_SUCCESS)
        return std::nullopt;
    value.data.resize(got);
    return value;
}

}  // namespace zarvio
