#include "core/MetadataProviders.h"

#include "engine/Compile.h"
#include "ide/DelphiData.h"
#include "ide/TargetOptions.h"

namespace corvalis {
namespace {

struct ProviderRow {
    const char* name;
    const char* caption;
    const char* description;
    bool builtIn;
    const char* requiredPackage;
};

constexpr ProviderRow kProviders[] = {
    {"ADO", "ADO Connectivity", "Corvalis Component ADO Connectivity", true, "dclado"},
    {"BDE", "BDE Connectivity", "Corvalis Component BDE Connectivity", true, "dclbde"},
    {"IBEx", "IBEx Connectivity", "Corvalis Component IBExpress Connectivity", true, "dclib"},
    {"DbEx", "DbEx Connectivity", "Corvalis Component dbExpress Connectivity", true, "dcldbx"},
    {"Zeos", "ZEOS Connectivity", "Corvalis Component ZEOS Connectivity", false, "zcomponent"},
    {"CrMyDAC", "DevArt MyDAC Connectivity", "Corvalis Component DevArt MyDAC Connectivity", false, "dclmydac"},
    {"CrODAC", "DevArt ODAC Connectivity", "Corvalis Component DevArt Oracle DAC Connectivity", false, "dclodac"},
    {"CrSDAC", "DevArt SDAC Connectivity", "Corvalis Component DevArt SDAC Connectivity", false, "dclsdac"},
    {"CrIbDAC", "DevArt IbDAC Connectivity", "Corvalis Component DevArt IbDAC Connectivity", false, "dclibdac"},
    {"UniDAC", "DevArt UniDAC Connectivity", "Corvalis Component DevArt UniDAC Connectivity", false, "UniDAC"},
    {"PgDAC", "DevArt PgDAC Connectivity", "Corvalis Component DevArt PgDAC Connectivity", false, "dclPgDAC"},
    {"FIBPlus", "FIBPlus Connectivity", "Corvalis Component FIBPlus Connectivity", false, "FIBPlus"},
    {"DOA", "DOA Connectivity", "Corvalis Component Allround Automations DOA Connectivity", false, "doa"},
    {"Accuracer", "AidAim Accuracer Connectivity", "Corvalis Component AidAim Accuracer Connectivity", false,
     "dclAccuracerd"},
    {"EasyTable", "AidAim EasyTable Connectivity", "Corvalis Component AidAim EasyTable Connectivity", false,
     "dclEasyTabled"},
    {"IDAC", "Luxena Informix DAC Connectivity", "Corvalis Component Luxena Informix DAC Connectivity", false,
     "dclidac"},
    {"MoMyDAC", "Microolap MySQL DAC Connectivity", "Corvalis Component Microolap MySQL DAC Connectivity", false,
     "mysqldac"},
    {"MoPgDAC", "Microolap PostgreSQL DAC Connectivity", "Corvalis Component Microolap PostgreSQL DAC Connectivity",
     false, "PostgresDAC"},
    {"MoMSDAC", "Microolap MSADODAC Connectivity", "Corvalis Component Microolap MSADODAC Connectivity", false,
     "MSADODAC"},
    {"SD", "SQLDirect Connectivity", "Corvalis Component SQLDirect Connectivity", false, "DclSQL"},
    {"DBISAM", "DBISAM Connectivity", "Corvalis Component Elevate Software DBISAM v4.27 Connectivity", false, "dbisam"},
    {"IBO", "IBObjects Connectivity", "Corvalis Component IBObjects Connectivity", false, "ibo"},
    {"Advantage", "Advantage DB Connectivity", "Corvalis Component Advantage DB Connectivity", false, "adsD"},
    {"NexusDB", "NexusDB v2.07 Connectivity", "Corvalis Component NexusDB v2.07 Connectivity", false, "NexusDB207"},
    {"NexusDB3", "NexusDB v3.01 Connectivity", "Corvalis Component NexusDB v3.01 Connectivity", false, "NexusDB301"},
    {"AbsoluteDB", "AbsoluteDB Connectivity", "Corvalis Component AbsoluteDB Connectivity", false, "dclAbsDB"},
    {"ElevateDB", "ElevateDB(ANSI) Connectivity", "Corvalis Component ElevateDB(ANSI) v1.09 Connectivity", false,
     "edb109%e%Vdesign"},
    {"ElevateDBu", "ElevateDB(Unicode) Connectivity", "Corvalis Component ElevateDB(Unicode) v1.09 Connectivity", false,
     "edb109u%Vdesign"},
    {"ElevateDB2", "ElevateDB2(ANSI) Connectivity", "Corvalis Component ElevateDB(ANSI) v2.02 Connectivity", false,
     "edb202%e%Vdesign"},
    {"ElevateDB2u", "ElevateDB2(Unicode) Connectivity", "Corvalis Component ElevateDB(Unicode) v2.02 Connectivity",
     false, "edb202u%Vdesign"},
    {"VistaDB", "VistaDB Connectivity", "Corvalis Component VistaDB Connectivity", false, "VistaDB_%e%Vd"},
    {"SvODBCDAC", "Softvector ODBC DAC Connectivity", "Corvalis Component Softvector ODBC DAC Connectivity", false,
     "dclodbcdac"},
    {"AnyDAC", "DA-Soft Technologies AnyDAC Connectivity",
     "Corvalis Component DA-Soft Technologies AnyDAC Connectivity", false, "daADComI"},
    {"NativeDB", "Liodden Data NativeDB Connectivity", "Corvalis Component Liodden Data NativeDB Connectivity", false,
     "NdbPack"},
    {"ODBCExpress", "ODBCExpress Connectivity", "Corvalis Component ODBCExpress Connectivity", false, "OEDT"},
};

} // namespace

TMetadataProvider::TMetadataProvider(TInstallData& owner, std::string name, std::string caption,
                                     std::string description, bool builtIn, std::string requiredPackage)
    : Owner(owner), BuiltIn(builtIn), Name(std::move(name)), Caption(std::move(caption)),
      Description(std::move(description)), RequiredPackage(std::move(requiredPackage))
{
}

bool TMetadataProvider::IsAvailable(const TCompileTarget& target) const
{
    return IsPackageInstalled(target, RequiredPackage);
}

void TMetadataProvider::CompileFor(TCompiler& compiler, TTargetOptions& options) const
{
    compiler.CompilePackage(options, RuntimePackageName(), false);
    compiler.CompilePackage(options, DesignPackageName(), true);
}

void TMetadataProvider::InstallFor(TCompiler& compiler, TTargetOptions& options) const
{
    compiler.InstallPackage(options, DesignPackageName(), Description);
    options.AddInstalledProvider(*this);
    options.Save();
}

void TMetadataProvider::UninstallFrom(TCompiler& compiler, TTargetOptions& options) const
{
    compiler.UninstallPackage(options, DesignPackageName());
    compiler.UninstallPackage(options, RuntimePackageName());
    // Saved only when it was installed: a run takes every provider out of an IDE, most of them
    // never installed, and each save writes all of the IDE's values again.
    if (!options.IsProviderInstalled(*this))
        return;
    options.RemoveInstalledProvider(*this);
    options.Save();
}

TMetadataProvidersList::TMetadataProvidersList(TInstallData& owner)
{
    for (const ProviderRow& row : kProviders)
        items_.push_back(std::make_unique<TMetadataProvider>(owner, row.name, row.caption, row.description, row.builtIn,
                                                             row.requiredPackage));
}

} // namespace corvalis
