#pragma once
// The one family of errors of the page packages.

#include <QString>

// Why a package was not written or read, or an import not stored: ordinary refusals, given back as
// values. A person reads them through messageIdOf; the ZIP library's own exceptions stop at the
// package's boundary and come back as Zip.
enum class PackageError {
    None,
    NotAPackage,   // the file is a data file in use
    DataFileInUse, // an export would replace a data file in use
    TooLarge,      // the page with its media needs more than the import's budget
    EntryTooLarge, // an entry passes what a package may hold (a field's limit, the format's entries)
    EntryDamaged,  // an entry cannot be read whole, or holds what no page can
    BadFolder,     // a folder that is not "V2.1\a-b-c-d\id" of the kind expected
    PageIdTaken,   // "replace" names a page of another file whose id the target file holds
    NoFreeId,      // no new page id is free
    CannotWrite,   // the package cannot be made or put in place
    StoreFailed,   // the data file's records cannot be read or stored
    Zip,           // the ZIP library refused the archive
};

// The outcome of a package operation. The detail is the one name a person needs: the file or entry
// refused (for TooLarge the import's budget in MB); never prose.
struct PackageResult {
    PackageError error = PackageError::None;
    QString detail;
    bool Failed() const { return error != PackageError::None; }
};

// The system string that tells a person about the error, "[#1]" standing for the detail; 0 for None.
int messageIdOf(PackageError error);
// The words of a failed result in the language in force: its message with the detail as "[#1]".
QString PackageErrorText(const PackageResult& result);
