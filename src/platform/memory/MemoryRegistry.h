#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace corvalis {

// An in-memory registry that orders and compares like Windows: values in creation order,
// subkeys sorted without regard to case.
class MemoryRegistry : public IRegistry {
public:
    struct Value {
        std::string name;
        RegistryValue stored;
    };
    struct Node {
        std::string name;
        std::vector<Value> values;
        std::vector<std::shared_ptr<Node>> subkeys; // sorted
        bool deleted = false;
    };

    std::unique_ptr<IRegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access) override;
    bool KeyExists(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;

    // A root that refuses to create keys and to store values, as HKEY_LOCAL_MACHINE does
    // for a user without administrator rights.
    void SetReadOnly(RootKey root, bool readOnly) { readOnly_[root] = readOnly; }

private:
    std::shared_ptr<Node> Find(RootKey root, const std::string& path, bool create);

    std::map<RootKey, std::shared_ptr<Node>> roots_;
    std::map<RootKey, bool> readOnly_;
};

} // namespace corvalis
