#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvalis {

enum class RootKey { LocalMachine, CurrentUser };

enum class KeyAccess {
    Read,        // read-only
    Write,       // for writing; fails when the key does not exist
    WriteCreate, // for writing; creates the key and its missing parents
};

// One open registry key. Value names are compared without regard to case.
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

} // namespace corvalis
