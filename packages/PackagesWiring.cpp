#include "packages/PackagesWiring.h"

#include "packages/PagePackages.h"
#include "shell/Commands.h"
#include "shell/CurrentUser.h"

void WirePackages()
{
    theExportPagePackage.set([] { ExportPagePackage(); });
    theImportPagePackage.set([] { ImportPagePackage(); });
    theDataFilePackageExporter.set(
        [](int file, bool ask, const QString& name) { WriteDataFilePackage(file, ask, name); });
}

void UnwirePackages()
{
    theExportPagePackage.reset();
    theImportPagePackage.reset();
    theDataFilePackageExporter.reset();
}
