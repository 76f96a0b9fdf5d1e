#pragma once
// The package commands: export the page shown (5033), import a page (5034), and the package of a
// whole data file that the user code writes on every change of user.

#include <QString>

// Command 5033: the page shown in the main pane, into a package the person names.
void ExportPagePackage();
// Command 5034: one page from a package the person names, into the output file or the user's file.
void ImportPagePackage();
// Every page, sentence, picture, sound and word of an open data file: with `ask` into a package the
// person names, otherwise into `name` or, when that is empty, beside the file with the extension
// ".lu2". Failures are logged only: it runs unasked on every change of user. False on failure.
bool WriteDataFilePackage(int file, bool ask, const QString& name);

// The outcome of an import, for the command's message and for tests.
enum class PageImportResult { Imported, NothingToImport, Cancelled, Failed };
PageImportResult ImportPagePackageFrom(const QString& path, QString* error = nullptr);
