#pragma once
// The package commands: export the page shown (5033), import a page (5034), and the package of a
// whole data file that the user code writes on every change of user. Only the commands show words;
// everything below them gives a PackageResult.

#include "packages/PackageError.h"

#include <QString>

// Command 5033: the page shown in the main pane, into a package the person names.
void ExportPagePackage();
// The page shown in the main pane, into the package at `path`: the command once the person has named it.
PackageResult ExportPagePackageTo(const QString& path);
// Command 5034: one page from a package the person names, into the output file or the user's file.
void ImportPagePackage();
// Every page, sentence, picture, sound and word of an open data file: with `ask` into a package the
// person names, otherwise into `name` or, when that is empty, beside the file with the extension
// ".lu2". A failure is written to the trace log only, since it runs unasked on every change of user;
// a person who cancels the question is no failure.
PackageResult WriteDataFilePackage(int file, bool ask, const QString& name);

// The outcome of an import, for the command's message and for tests.
enum class PageImport { Imported, NothingToImport, Cancelled, Failed };
struct PageImportResult {
    PageImport outcome = PageImport::Failed;
    PackageError error = PackageError::None; // why it Failed
    QString detail;
};
PageImportResult ImportPagePackageFrom(const QString& path);
