#include "packages/PackageError.h"

#include "system/SystemStrings.h"

int messageIdOf(PackageError error)
{
    switch (error) {
    case PackageError::None:
        return 0;
    case PackageError::NotAPackage:
        return 9470;
    case PackageError::DataFileInUse:
        return 9461; // the file in use, as the user code says it
    case PackageError::TooLarge:
        return 9454;
    case PackageError::EntryTooLarge:
        return 9471;
    case PackageError::EntryDamaged:
        return 9472;
    case PackageError::BadFolder:
        return 9473;
    case PackageError::PageIdTaken:
        return 9474;
    case PackageError::NoFreeId:
        return 9475;
    case PackageError::CannotWrite:
        return 9476;
    case PackageError::StoreFailed:
        return 9477;
    case PackageError::Zip:
        return 9478;
    }
    return 0;
}

QString PackageErrorText(const PackageResult& result)
{
    return LoadSystemString(messageIdOf(result.error)).replace(QStringLiteral("[#1]"), result.detail);
}
