#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvalis {

enum class RootKey { LocalMachine, CurrentUser };

// A value as the registry stores it: its type (REG_SZ 1, REG_EXPAND_SZ 2, REG_BINARY 3,
// REG_DWORD 4, REG_MULTI_SZ 7, ...) and its bytes exactly, text being UTF-16 (little end
// first) with its terminating zero.
struct RegistryValue {
    uint32_t type = 0;
    std::string data;
    bool operator==(const RegistryValue&) const = default;
};

inline constexpr uint32_t kRegString = 1;
inline constexpr uint32_t kRegExpandString = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDWord = 4;

enum class KeyAccess {
    Read,        // read-only
    Write,       // for writing; fails when the key does not exist
    WriteCreate, // for writing; creates the key and its missing parents
};

// One open registry key. Names and string values are the program's UTF-8; the registry
// keeps them in UTF-16, every character as it is. Value names are compared without regard
// to case.
class IRegistryKey {
public:
    virtual ~IRegistryKey() = default;

    virtual bool ValueExists(const std::string& name) const = 0;
    // A missing value reads as empty; a value of a non-string type raises
    // ERegistryException "Invalid data type for '<name>'".
    virtual std::string ReadString(const std::string& name) const = 0;
    // A missing value raises "Failed to get data for '<name>'", a value of another
    // type "Invalid data type for '<name>'".
    virtual int32_t ReadInteger(const std::string& name) const = 0;
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }

    // A failed write raises "Failed to set data for '<name>'".
    virtual void WriteString(const std::string& name, const std::string& value) = 0;
    virtual void WriteInteger(const std::string& name, int32_t value) = 0;
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }

    virtual bool DeleteValue(const std::string& name) = 0;
    // Returns once the key's changes are on disk: a record that must survive a power cut.
    virtual bool Flush() = 0;

    // Any value with its exact type and data; nullopt when missing. Saving and restoring a
    // whole key goes through these.
    virtual std::optional<RegistryValue> ReadValue(const std::string& name) const = 0;
    virtual void WriteValue(const std::string& name, const RegistryValue& value) = 0;

    // In the registry's own order: values as created, subkeys sorted without regard to case.
    virtual std::vector<std::string> ValueNames() const = 0;
    virtual std::vector<std::string> SubKeyNames() const = 0;
};

// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER in the 32-bit view that 32-bit IDEs write.
// Key paths may start with a backslash; they are relative to the root either way.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    // nullptr when the key cannot be opened (or created).
    virtual std::unique_ptr<IRegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access) = 0;
    virtual bool KeyExists(RootKey root, const std::string& path) = 0;
    // Deletes the key with all its subkeys; false when it did not exist or could not be deleted.
    virtual bool DeleteKey(RootKey root, const std::string& path) = 0;
};

// Returns once the changes of the key and below it are on disk; false when it cannot be opened.
inline bool FlushKey(IRegistry& registry, RootKey root, const std::string& path)
{
    const std::unique_ptr<IRegistryKey> key = registry.OpenKey(root, path, KeyAccess::Write);
    return key && key->Flush();
}

} // namespace corvalis
