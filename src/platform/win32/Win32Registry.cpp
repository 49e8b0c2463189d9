#include "platform/win32/Win32Registry.h"

#include <algorithm>
#include <vector>

#include "platform/Exceptions.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "platform/win32/WindowsSupport.h"

namespace corvalis {
namespace {

using win32::Narrow;
using win32::ScopedRegKey;
using win32::Widen;

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
        return ::RegQueryValueExW(key_.Get(), Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

    std::string ReadString(const std::string& name) const override
    {
        const std::optional<RegistryValue> value = ReadValue(name);
        if (!value || value->data.empty())
            return {};
        if (value->type != REG_SZ && value->type != REG_EXPAND_SZ)
            throw ERegistryException("Invalid data type for '" + name + "'");
        const std::u16string text = Utf16FromBytes(value->data, false);
        return Utf16ToUtf8(text.substr(0, text.find(u'\0')));
    }

    int32_t ReadInteger(const std::string& name) const override
    {
        const std::optional<RegistryValue> value = ReadValue(name);
        if (!value)
            throw ERegistryException("Failed to get data for '" + name + "'");
        if (value->type != REG_DWORD)
            throw ERegistryException("Invalid data type for '" + name + "'");
        DWORD number = 0;
        value->data.copy(reinterpret_cast<char*>(&number), std::min(value->data.size(), sizeof number));
        return static_cast<int32_t>(number);
    }

    void WriteString(const std::string& name, const std::string& value) override
    {
        WriteValue(name, {REG_SZ, Utf16ToBytes(Utf8ToUtf16(value) + u'\0', false)});
    }

    void WriteInteger(const std::string& name, int32_t value) override
    {
        const DWORD number = static_cast<DWORD>(value);
        WriteValue(name, {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)});
    }

    bool DeleteValue(const std::string& name) override
    {
        return ::RegDeleteValueW(key_.Get(), Widen(name).c_str()) == ERROR_SUCCESS;
    }

    bool Flush() override { return ::RegFlushKey(key_.Get()) == ERROR_SUCCESS; }

    std::optional<RegistryValue> ReadValue(const std::string& name) const override
    {
        const std::wstring wideName = Widen(name);
        RegistryValue value;
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (::RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        // The value can grow between the two calls; ask again with the size it has then.
        LONG result = ERROR_MORE_DATA;
        while (result == ERROR_MORE_DATA) {
            value.data.resize(size);
            result = ::RegQueryValueExW(key_.Get(), wideName.c_str(), nullptr, &type,
                                        reinterpret_cast<BYTE*>(value.data.data()), &size);
        }
        if (result != ERROR_SUCCESS)
            throw ERegistryException("Failed to get data for '" + name + "'");
        value.type = type;
        value.data.resize(size);
        return value;
    }

    void WriteValue(const std::string& name, const RegistryValue& value) override
    {
        if (::RegSetValueExW(key_.Get(), Widen(name).c_str(), 0, value.type,
                             reinterpret_cast<const BYTE*>(value.data.data()),
                             static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            throw ERegistryException("Failed to set data for '" + name + "'");
    }

    std::vector<std::string> ValueNames() const override
    {
        return Enumerate([this](DWORD index, wchar_t* buffer, DWORD* length) {
            return ::RegEnumValueW(key_.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

    std::vector<std::string> SubKeyNames() const override
    {
        return Enumerate([this](DWORD index, wchar_t* buffer, DWORD* length) {
            return ::RegEnumKeyExW(key_.Get(), index, buffer, length, nullptr, nullptr, nullptr, nullptr);
        });
    }

private:
    template <typename EnumFunction> static std::vector<std::string> Enumerate(EnumFunction enumerate)
    {
        std::vector<std::string> names;
        // Registry names are at most 16383 characters.
        std::vector<wchar_t> buffer(16384);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(buffer.size());
            if (enumerate(index, buffer.data(), &length) != ERROR_SUCCESS)
                break;
            names.push_back(Narrow(std::wstring(buffer.data(), length)));
        }
        return names;
    }

    ScopedRegKey key_;
};

bool DeleteTree(HKEY root, const std::string& path)
{
    {
        ScopedRegKey key;
        if (::RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_READ | kView, key.Receive()) != ERROR_SUCCESS)
            return false;
        // Deleting while enumerating shifts the indexes; take the names first.
        for (const std::string& subkey : Win32Key(std::move(key)).SubKeyNames())
            DeleteTree(root, path + "\\" + subkey);
    }
    using RegDeleteKeyExWFunction = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    static const auto deleteKeyEx = win32::SystemFunction<RegDeleteKeyExWFunction>("advapi32.dll", "RegDeleteKeyExW");
    const std::wstring widePath = Widen(path);
    const LONG result = deleteKeyEx ? deleteKeyEx(root, widePath.c_str(), kView, 0) : ::RegDeleteKeyW(root, widePath.c_str());
    return result == ERROR_SUCCESS;
}

} // namespace

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(RootKey root, const std::string& path, KeyAccess access)
{
    const std::wstring keyPath = Widen(NormalKeyPath(path));
    ScopedRegKey key;
    LONG result;
    if (access == KeyAccess::WriteCreate)
        result = ::RegCreateKeyExW(RootHandle(root), keyPath.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE | kView,
                                   nullptr, key.Receive(), nullptr);
    else
        result = ::RegOpenKeyExW(RootHandle(root), keyPath.c_str(), 0,
                                 access == KeyAccess::Read ? KEY_READ | kView : KEY_READ | KEY_WRITE | kView,
                                 key.Receive());
    if (result != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Win32Key>(std::move(key));
}

bool Win32Registry::KeyExists(RootKey root, const std::string& path)
{
    ScopedRegKey key;
    return ::RegOpenKeyExW(RootHandle(root), Widen(NormalKeyPath(path)).c_str(), 0, KEY_QUERY_VALUE | kView,
                           key.Receive()) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteKey(RootKey root, const std::string& path)
{
    const std::string keyPath = NormalKeyPath(path);
    return !keyPath.empty() && DeleteTree(RootHandle(root), keyPath);
}

} // namespace corvalis
