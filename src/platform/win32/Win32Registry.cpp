#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/PathText.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {
namespace {

using win32::ScopedRegKey;

// The 64-bit test build must see what 32-bit IDEs wrote, as the 32-bit product does.
constexpr REGSAM kView = KEY_WOW64_32KEY;

HKEY RootHandle(RootKey root)
{
    return root == RootKey::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Key : public IRegistryKey {
public:
    explicit Win32Key(ScopedRegKey key) : key_(std::move(key)) {}

    bool ValueExists(const std::string& name) const override
    {
        return ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    std::string ReadString(const std::string& name) const override
    {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || size == 0)
            return {};
        if (type != REG_SZ && type != REG_EXPAND_SZ)
            throw ERegistryException("Invalid data type for '" + name + "'");
        std::string data(size, '\0');
        if (::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            throw ERegistryException("Failed to get data for '" + name + "'");
        data.resize(std::min<size_t>(size, data.size()));
        return data.substr(0, data.find('\0'));
    }

    int32_t ReadInteger(const std::string& name) const override
    {
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            throw ERegistryException("Failed to get data for '" + name + "'");
        if (type != REG_DWORD)
            throw ERegistryException("Invalid data type for '" + name + "'");
        DWORD value = 0;
        size = sizeof value;
        if (::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            throw ERegistryException("Failed to get data for '" + name + "'");
        return static_cast<int32_t>(value);
    }

    void WriteString(const std::string& name, const std::string& value) override
    {
        Set(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
    }

    void WriteInteger(const std::string& name, int32_t value) override
    {
        const DWORD data = static_cast<DWORD>(value);
        Set(name, REG_DWORD, &data, sizeof data);
    }

    bool DeleteValue(const std::string& name) override
    {
        return ::RegDeleteValueA(key_.Get(), name.c_str()) == ERROR_SUCCESS;
    }

    std::optional<RegistryValue> ReadValue(const std::string& name) const override
    {
        RegistryValue value;
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.data.resize(size);
        // The size asked for first can be too small for ANSI text of a Unicode value; ask again.
        LONG result = ERROR_MORE_DATA;
        while (result == ERROR_MORE_DATA) {
            size = static_cast<DWORD>(value.data.size());
            result = ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(value.data.data()), &size);
            if (result == ERROR_MORE_DATA)
                value.data.resize(std::max<size_t>(size, value.data.size() * 2 + 16));
        }
        if (result != ERROR_SUCCESS)
            throw ERegistryException("Failed to get data for '" + name + "'");
        value.type = type;
        value.data.resize(size);
        return value;
    }

    void WriteValue(const std::string& name, const RegistryValue& value) override
    {
        Set(name, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    }

    std::vector<std::string> ValueNames() const override
    {
        return Enumerate([this](DWORD index, char* buffer, DWORD* length) {
            return ::RegEnumValueA(key_.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::vector<std::string> SubKeyNames() const override
    {
        return Enumerate([this](DWORD index, char* buffer, DWORD* length) {
            return ::RegEnumKeyExA(key_.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

private:
    void Set(const std::string& name, DWORD type, const void* data, DWORD size)
    {
        if (::RegSetValueExA(key_.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
            throw ERegistryException("Failed to set data for '" + name + "'");
    }

    template <typename EnumFunction> static std::vector<std::string> Enumerate(EnumFunction enumerate)
    {
        std::vector<std::string> names;
        // Registry names are at most 16383 characters.
        std::vector<char> buffer(16384);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(buffer.size());
            if (enumerate(index, buffer.data(), &length) != ERROR_SUCCESS)
                break;
            names.emplace_back(buffer.data(), length);
        }
        return names;
    }

    ScopedRegKey key_;
};

bool DeleteTree(HKEY root, const std::string& path)
{
    {
        ScopedRegKey key;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | kView, key.Receive()) != ERROR_SUCCESS)
            return false;
        // Deleting while enumerating shifts the indexes; take the names first.
        for (const std::string& subkey : Win32Key(std::move(key)).SubKeyNames())
            DeleteTree(root, path + "\\" + subkey);
    }
    using RegDeleteKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    static const auto deleteKeyEx = win32::SystemFunction<RegDeleteKeyExAFunction>("advapi32.dll", "RegDeleteKeyExA");
    const LONG result = deleteKeyEx ? deleteKeyEx(root, path.c_str(), kView, 0) : ::RegDeleteKeyA(root, path.c_str());
    return result == ERROR_SUCCESS;
}

} // namespace

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(RootKey root, const std::string& path, KeyAccess access)
{
    ScopedRegKey key;
    LONG result;
    if (access == KeyAccess::WriteCreate)
        result = ::RegCreateKeyExA(RootHandle(root), NormalKeyPath(path).c_str(), 0, nullptr, 0,
                                   KEY_READ | KEY_WRITE | kView, nullptr, key.Receive(), nullptr);
    else
        result =
            ::RegOpenKeyExA(RootHandle(root), NormalKeyPath(path).c_str(), 0,
                            access == KeyAccess::Read ? KEY_READ | kView : KEY_READ | KEY_WRITE | kView, key.Receive());
    if (result != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32Key>(std::move(key));
}

bool Win32Registry::KeyExists(RootKey root, const std::string& path)
{
    ScopedRegKey key;
    return ::RegOpenKeyExA(RootHandle(root), NormalKeyPath(path).c_str(), 0, KEY_QUERY_VALUE | kView, key.Receive()) ==
           ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(RootKey root, const std::string& path)
{
    const std::string keyPath = NormalKeyPath(path);
    return !keyPath.empty() && DeleteTree(RootHandle(root), keyPath);
}

} // namespace corvalis
