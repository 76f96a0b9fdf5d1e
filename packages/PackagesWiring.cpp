#include "packages/PackagesWiring.h"

#include "packages/PagePackages.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"

void WirePackages()
{
    theExportPagePackageHook.set([] { ExportPagePackage(); });
    theImportPagePackageHook.set([] { ImportPagePackage(); });
    theDataFilePackageExporterHook.set(
        [](int file, bool ask, const QString& name) { WriteDataFilePackage(file, ask, name); });
}

void UnwirePackages()
{
    theExportPagePackageHook.reset();
    theImportPagePackageHook.reset();
    theDataFilePackageExporterHook.reset();
}
