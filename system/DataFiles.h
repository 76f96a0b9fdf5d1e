#pragma once
// The open data files: opening a resource file with the checks of its kind and data version, filing
// the data files (kind 1) newest first, saving with compaction when the file has grown loose, and
// closing them again.

#include <QString>

#include <cstdint>
#include <vector>

// File numbers of the open data files (kind 1), highest data version first.
extern std::vector<int> theDataFiles;

// File kinds (header word of a resource file).
constexpr std::uint32_t FILEKIND_DATA = 1;
constexpr std::uint32_t FILEKIND_USER = 2;
constexpr std::uint32_t FILEKIND_PROFILE = 4;

// Results of OpenDataFile: the file was accepted, or the id of the message that says why it was refused.
enum DataFileRefusal : int {
    DATAFILE_ACCEPTED = 0,
    MSG_UNKNOWN_FILE_KIND = 9009,
    MSG_VERSION_TOO_LOW = 9010,
};

// Opens a resource file and checks it. `*result` is the store's result (RES_OK opened now,
// RES_FILE_ALREADY_OPEN, or a store error). Returns a DataFileRefusal; a refused file that this call
// opened is closed again. Shows nothing.
int OpenDataFile(const QString& path, int* file, int* result);
// The same for a file the program may read but not write (OpenResFileForReading): every save of it is
// refused and leaves the disk as it was.
int OpenDataFileForReading(const QString& path, int* file, int* result);
// The same for a file a person chose: a refusal is shown in a message box.
int OpenDataFileAndReport(const QString& path, int* file, int* result);
// True for data versions the program reads: 2.0.x, and 0.2.0 to 0.2.4.
bool IsAcceptedDataVersion(std::uint32_t version);

// With `file` 0 or less: opens every *.tvf of the Data folder and files each. With a file number: a
// data file (kind 1) is filed into theDataFiles by its data version; other kinds stay open, unfiled.
void ScanDataFolder(int file);

// Removes the file from theDataFiles and closes it; 0 or less closes every data file.
int CloseDataFile(int file);
// Closes a file in the store; the store's result, also through `result` when given.
int ReleaseDataFile(int file, int* result = nullptr);

// Writes the file in place when it is modified or `force` is set, compacting it when asked or when
// it has grown loose. Runs only while `*err` is RES_OK, so a chain of saves stops at the first failure;
// the store's result (RES_OK or a RES_ERR_* code) lands in `*err`.
void SaveDataFile(int file, bool compact, bool force, int* err);

void ResetDataFiles();
