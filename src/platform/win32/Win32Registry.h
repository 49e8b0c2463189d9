#pragma once

#include "platform/Registry.h"

namespace corvalis {

class Win32Registry : public IRegistry {
public:
    std::unique_ptr<IRegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access) override;
    bool KeyExists(RootKey root, const std::string& path) override;
    bool DeleteKey(RootKey root, const std::string& path) override;
};

} // namespace corvalis
