#pragma once

#include <memory>
#include <string>
#include <vector>

namespace corvalis {

class TCompileTarget;
class TCompiler;
class TInstallData;
class TTargetOptions;

// A connectivity package pair: a runtime and a design-time package that read database
// metadata through another vendor's data-access library. Providers differ only in their
// data, so one class serves all 35 rows of the table.
class TMetadataProvider {
public:
    TMetadataProvider(TInstallData& owner, std::string name, std::string caption, std::string description, bool builtIn,
                      std::string requiredPackage);

    TInstallData& Owner;
    bool BuiltIn;
    std::string Name;
    std::string Caption;         // also the name of its value in an IDE's stored options
    std::string Description;     // shown, and registered in the IDE for the design package
    std::string RequiredPackage; // package-name template of the data-access library

    // The provider's data-access library is installed in the IDE.
    bool IsAvailable(const TCompileTarget& target) const;
    std::string RuntimePackageName() const { return "Corvalis" + Name; }
    std::string DesignPackageName() const { return "CorvalisDsgn" + Name; }

    // Builds both packages for the IDE.
    void CompileFor(TCompiler& compiler, TTargetOptions& options) const;
    // Registers the design package in the IDE and records the provider as installed there.
    void InstallFor(TCompiler& compiler, TTargetOptions& options) const;
    // Unregisters both packages and records the provider as not installed.
    void UninstallFrom(TCompiler& compiler, TTargetOptions& options) const;
};

// The 35 providers in the order of creation, display and processing; built-in ones first.
class TMetadataProvidersList {
public:
    explicit TMetadataProvidersList(TInstallData& owner);

    int Count() const { return static_cast<int>(items_.size()); }
    TMetadataProvider& operator[](int index) const { return *items_[static_cast<size_t>(index)]; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<TMetadataProvider>> items_;
};

} // namespace corvalis
