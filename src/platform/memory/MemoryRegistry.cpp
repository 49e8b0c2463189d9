#include "platform/memory/MemoryRegistry.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/PathText.h"
#include "platform/TextEncoding.h"
#include "platform/memory/DeepCopy.h"

namespace corvalis {
namespace {

using Node = MemoryRegistry::Node;
using Value = MemoryRegistry::Value;

class MemoryKey : public IRegistryKey {
public:
    MemoryKey(MemoryRegistry& registry, RootKey root, std::string path, std::shared_ptr<Node> node, bool writable)
        : registry_(registry), root_(root), path_(std::move(path)), node_(std::move(node)), writable_(writable)
    {
    }

    bool ValueExists(const std::string& name) const override { return FindValue(name) != nullptr; }

    std::string ReadString(const std::string& name) const override
    {
        const Value* value = FindValue(name);
        if (value == nullptr)
            return {};
        if (value->stored.data.empty())
            return {};
        if (value->stored.type != kRegString && value->stored.type != kRegExpandString)
            throw ERegistryException("Invalid data type for '" + name + "'");
        const std::u16string text = Utf16FromBytes(value->stored.data, false);
        return Utf16ToUtf8(text.substr(0, text.find(u'\0')));
    }

    int32_t ReadInteger(const std::string& name) const override
    {
        const Value* value = FindValue(name);
        if (value == nullptr)
            throw ERegistryException("Failed to get data for '" + name + "'");
        if (value->stored.type != kRegDWord)
            throw ERegistryException("Invalid data type for '" + name + "'");
        uint32_t number = 0;
        for (size_t i = value->stored.data.size(); i-- > 0;)
            number = number << 8 | static_cast<unsigned char>(value->stored.data[i]);
        return static_cast<int32_t>(number);
    }

    void WriteString(const std::string& name, const std::string& text) override
    {
        WriteValue(name, {kRegString, Utf16ToBytes(Utf8ToUtf16(text) + u'\0', false)});
    }

    void WriteInteger(const std::string& name, int32_t number) override
    {
        const auto bits = static_cast<uint32_t>(number);
        std::string data;
        for (int shift = 0; shift < 32; shift += 8)
            data += static_cast<char>(bits >> shift & 0xFF);
        WriteValue(name, {kRegDWord, data});
    }

    std::optional<RegistryValue> ReadValue(const std::string& name) const override
    {
        const Value* value = FindValue(name);
        if (value == nullptr)
            return std::nullopt;
        return value->stored;
    }

    void WriteValue(const std::string& name, const RegistryValue& value) override
    {
        if (registry_.MayChange(root_, path_ + "\\@" + name))
            ValueForWrite(name) = value;
    }

    bool DeleteValue(const std::string& name) override
    {
        if (!writable_ || node_->deleted || !registry_.MayChange(root_, path_ + "\\@" + name))
            return false;
        auto& values = node_->values;
        auto it = std::find_if(values.begin(), values.end(), [&](const Value& v) { return SameName(v.name, name); });
        if (it == values.end())
            return false;
        values.erase(it);
        return true;
    }

    bool Flush() override { return !node_->deleted; }

    std::vector<std::string> ValueNames() const override
    {
        std::vector<std::string> names;
        for (const Value& v : node_->values)
            names.push_back(v.name);
        return names;
    }

    std::vector<std::string> SubKeyNames() const override
    {
        std::vector<std::string> names;
        for (const auto& k : node_->subkeys)
            names.push_back(k->name);
        return names;
    }

private:
    Value* FindValue(const std::string& name) const
    {
        for (Value& v : node_->values)
            if (SameName(v.name, name))
                return &v;
        return nullptr;
    }

    RegistryValue& ValueForWrite(const std::string& name)
    {
        if (!writable_ || node_->deleted)
            throw ERegistryException("Failed to set data for '" + name + "'");
        if (Value* existing = FindValue(name))
            return existing->stored;
        node_->values.push_back(Value{name, {}});
        return node_->values.back().stored;
    }

    MemoryRegistry& registry_;
    RootKey root_;
    std::string path_;
    std::shared_ptr<Node> node_;
    bool writable_;
};

} // namespace

std::shared_ptr<Node> MemoryRegistry::Find(RootKey root, const std::string& path, bool create)
{
    auto& top = roots_[root];
    if (!top)
        top = std::make_shared<Node>();
    std::shared_ptr<Node> node = top;
    for (const std::string& part : SplitKeyPath(path)) {
        auto& subkeys = node->subkeys;
        auto it =
            std::lower_bound(subkeys.begin(), subkeys.end(), part,
                             [](const std::shared_ptr<Node>& k, const std::string& n) { return NameLess(k->name, n); });
        if (it != subkeys.end() && SameName((*it)->name, part)) {
            node = *it;
            continue;
        }
        if (!create)
            return nullptr;
        auto child = std::make_shared<Node>();
        child->name = part;
        node = *subkeys.insert(it, child);
    }
    return node;
}

std::unique_ptr<IRegistryKey> MemoryRegistry::OpenKey(RootKey root, const std::string& path, KeyAccess access)
{
    const Lock lock = LockOf(root, path);
    if (lock == Lock::Unreadable || (access != KeyAccess::Read && lock == Lock::ReadOnly))
        return nullptr;
    const bool create = access == KeyAccess::WriteCreate && !Find(root, path, false);
    if (create && !MayChange(root, path))
        return nullptr;
    std::shared_ptr<Node> node = Find(root, path, create);
    if (!node)
        return nullptr;
    return std::make_unique<MemoryKey>(*this, root, NormalKeyPath(path), node, access != KeyAccess::Read);
}

void MemoryRegistry::CopyKeysOf(const MemoryRegistry& other)
{
    roots_.clear();
    for (const auto& [root, node] : other.roots_)
        roots_[root] = DeepCopy(*node, &Node::subkeys);
}

bool MemoryRegistry::KeyExists(RootKey root, const std::string& path)
{
    return LockOf(root, path) != Lock::Unreadable && Find(root, path, false) != nullptr;
}

void MemoryRegistry::SetLocked(RootKey root, const std::string& path, Lock lock)
{
    auto& locks = locks_[root];
    const std::string key = NormalKeyPath(path);
    std::erase_if(locks, [&](const auto& locked) { return SameName(locked.first, key); });
    if (lock != Lock::None)
        locks.emplace_back(key, lock);
}

// The strictest lock on the key or a key above it.
MemoryRegistry::Lock MemoryRegistry::LockOf(RootKey root, const std::string& path) const
{
    Lock strictest = Lock::None;
    const auto locks = locks_.find(root);
    if (locks == locks_.end())
        return strictest;
    const std::string key = NormalKeyPath(path);
    for (const auto& [locked, lock] : locks->second)
        if (locked.empty() || (SameName(key.substr(0, locked.size()), locked) &&
                               (key.size() == locked.size() || key[locked.size()] == '\\')))
            strictest = std::max(strictest, lock);
    return strictest;
}

// Depth first, as Windows deletes a tree: a branch that cannot go stays, with its parents.
bool MemoryRegistry::DeleteSubkeys(RootKey root, Node& node, const std::string& path)
{
    bool all = true;
    for (auto it = node.subkeys.begin(); it != node.subkeys.end();) {
        const std::string child = path + "\\" + (*it)->name;
        if (DeleteSubkeys(root, **it, child) && LockOf(root, child) == Lock::None) {
            (*it)->deleted = true;
            it = node.subkeys.erase(it);
        } else {
            all = false;
            ++it;
        }
    }
    return all;
}

bool MemoryRegistry::DeleteKey(RootKey root, const std::string& path)
{
    const std::string key = NormalKeyPath(path);
    const size_t slash = key.rfind('\\');
    const std::shared_ptr<Node> parent = key.empty() ? nullptr : Find(root, slash == std::string::npos ? "" : key.substr(0, slash), false);
    if (!parent || !MayChange(root, key))
        return false;
    const std::string leaf = slash == std::string::npos ? key : key.substr(slash + 1);
    auto& subkeys = parent->subkeys;
    auto it = std::find_if(subkeys.begin(), subkeys.end(), [&](const auto& k) { return SameName(k->name, leaf); });
    if (it == subkeys.end() || !DeleteSubkeys(root, **it, key) || LockOf(root, key) != Lock::None)
        return false;
    (*it)->deleted = true;
    subkeys.erase(it);
    return true;
}

} // namespace corvalis
