#pragma once
// The output file's life: the one resource file that receives everything an author or translator
// makes. It is created or opened by a person, saved by its commands and when it closes, and copied to a
// backup in the program's Temp folder after every create and open. At most one is open
// (theOutputFile, system/OutputFile.h); its translation language (theTranslateLanguage) goes with it.
//
// Each step reports what went wrong as an OutputFileError with the file's path as detail; the command
// that started it shows the words (messageIdOf). Closing asks its own question and so shows its own
// failure. A file that already has another role (the current user's, its profile's, a data file) is
// never taken as the output file, so closing the output file never takes a file from under another
// role.

#include <QString>

enum class OutputFileError {
    None,
    Cancelled,     // the person cancelled a question or a file dialog: nothing to say
    InUse,         // the file has another role in the program
    OpenAlready,   // a new output file was asked for at the path of an open file
    UnknownKind,   // not a data, user or profile file
    VersionTooLow, // a data version the program does not read
    CannotOpen,    // the store could not open the file
    CannotCreate,  // the new file could not be written
    SaveFailed,    // the file could not be saved; it stays open with its changes
    BackupFailed,  // the backup copy could not be written
};

struct OutputFileResult {
    OutputFileError error = OutputFileError::None;
    QString detail; // the path concerned
};

// The system string that says what went wrong; 0 for None and Cancelled.
int messageIdOf(OutputFileError error);
// Shows the result's message with its path, when it has one.
void ReportOutputFileResult(const OutputFileResult& result);

// Closes an open output file (Cancel in its save question stops here), asks for a new file's path and
// makes the file at once as a data file of version 2.0.61, files it by its kind, backs it up and reloads
// everything. A closed file at that path (the file dialog asked first) is replaced only once the new
// file stands whole.
OutputFileResult CreateOutputFile();
// The same for an existing file; an empty path asks for one.
OutputFileResult OpenOutputFile(const QString& path = {});
// Asks to save changes (Yes, No, Cancel), then lets go of the file and reloads everything. False when
// the file stays open: the person chose Cancel, or the save failed (which it says).
bool CloseOutputFileAsking();
// Saves a changed output file; a file still without kind or version is stamped as a data file of
// version 2.0.61 first. Saving an unchanged file does nothing.
OutputFileResult SaveOutputFile();
// Copies the output file as it is on disk to the backup path.
OutputFileResult BackupOutputFile();
QString OutputFileBackupPath();

// Takes the stored translation language ("TranslateLanguage") when its language record lives in the
// output file, and asks for a full reload; false otherwise.
bool RestoreTranslateLanguage();
