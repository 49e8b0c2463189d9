#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "platform/memory/MemoryStopPoint.h"

namespace corvalis {

// An in-memory registry that orders and compares like Windows: values in creation order,
// subkeys sorted without regard to case, strings kept as UTF-16 bytes.
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

    // A key, present or not, with everything below it, that cannot be created, written or
    // deleted, and with unreadable not even opened: one whose permissions let the user only
    // read it, or nothing at all; or a whole root (an empty path), as HKEY_LOCAL_MACHINE for
    // a user without administrator rights. Deleting a tree that holds one deletes what it
    // can, as Windows does.
    enum class Lock { None, ReadOnly, Unreadable };
    void SetLocked(RootKey root, const std::string& path, Lock lock = Lock::ReadOnly);
    // Every change from now on counts towards the stop point.
    void SetStopPoint(MemoryStopPoint* stopPoint) { stopPoint_ = stopPoint; }
    // Every key and value of the other machine, in place of its own.
    void CopyKeysOf(const MemoryRegistry& other);
    bool MayChange(RootKey root, const std::string& path)
    {
        return stopPoint_ == nullptr ||
               stopPoint_->Change((root == RootKey::LocalMachine ? "HKLM\\" : "HKCU\\") + path);
    }

private:
    std::shared_ptr<Node> Find(RootKey root, const std::string& path, bool create);
    Lock LockOf(RootKey root, const std::string& path) const;
    bool DeleteSubkeys(RootKey root, Node& node, const std::string& path);

    std::map<RootKey, std::shared_ptr<Node>> roots_;
    std::map<RootKey, std::vector<std::pair<std::string, Lock>>> locks_;
    MemoryStopPoint* stopPoint_ = nullptr;
};

} // namespace corvalis
