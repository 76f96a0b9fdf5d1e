#include "packages/PackagesState.h"

#include "packages/PagePackage.h"

void ResetPackagesState()
{
    thePackageImportBudget = kDefaultPackageImportBudget;
}
