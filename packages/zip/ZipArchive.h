#pragma once
// A ZIP archive: create, open, add, extract, test, delete, rename and copy entries, with deflate
// through zlib and the traditional PKWARE password encryption. One entry is worked on at a time.
// Every failure throws CZipException (a disk file that cannot be opened: ZipFileError); after an
// exception, close the archive with Close(afterException).

#include "packages/zip/CentralDirectory.h"
#include "packages/zip/EntryHeader.h"
#include "packages/zip/Wildcard.h"
#include "packages/zip/ZipBuffer.h"
#include "packages/zip/ZipCallback.h"
#include "packages/zip/ZipCrypto.h"
#include "packages/zip/ZipException.h"
#include "packages/zip/ZipMemoryFile.h"
#include "packages/zip/ZipStorage.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// Replace indexes besides an entry's own index: replace nothing, or the entry of the same name.
constexpr int zipReplaceNone = zipNoEntry;
constexpr int zipReplaceByName = -2;

struct CZipAddEntryInfo {
    QString m_szFilePath;
    QString m_szFileNameInZip;
    bool m_bFullPath = true;
    int m_iComprLevel = -1;
    int m_iSmartLevel = 7;
    int m_iReplaceIndex = zipReplaceNone;
    std::size_t m_nBufSize = 65536;
    CZipFileBase* m_pFile = nullptr;
};

class CZipArchive
{
public:
    enum OpenMode { zipOpen = 0, zipOpenReadOnly = 1, zipCreate = 2, zipCreateSpan = 3 };
    enum FindMode { ffDefault = 0, ffCaseSens = 1, ffNoCaseSens = 2 };
    enum CloseMode { closeNormal = 0, closeAfterException = 1, closeAfterExceptionWrite = 2 };
    enum Smartness {
        zipsmLight = 0,
        zipsmCPassDir = 1,
        zipsmCPFile0 = 2,
        zipsmNotCompSmall = 4,
        zipsmCheckForEff = 8,
        zipsmMemoryFlag = 16,
        zipsmSafeSmart = 7,
        zipsmInternal01 = 0xF000
    };
    static constexpr int kMaxEntries = 0xFFFF;
    static constexpr int kReplaceLevelFlag = 0x100;

    CZipArchive();
    virtual ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opening and closing.
    void Open(const QString& path, int mode = zipOpen, std::uint64_t volumeSize = 0);
    bool OpenOnFile(CZipFileBase& file, int mode = zipOpen);
    void Close(int afterException = closeNormal, bool updateTimeStamp = false);
    bool IsClosed(bool wholeArchive = true) const;

    bool SetPassword(const QString& password);
    QString GetPassword() const;

    // Finding entries.
    int FindEntry(const QString& name, int findMode = ffDefault, bool nameOnly = false);
    bool GetEntryInfo(CZipEntryHeader& header, int index) const;
    void FindMatches(const QString& pattern, std::vector<std::uint16_t>& indexes, bool fullPath = true);
    void GetIndexes(const QStringList& names, std::vector<std::uint16_t>& indexes);
    int GetCount() const { return IsClosed() ? 0 : m_centralDir.GetCount(); }

    // Adding entries.
    bool AddEntryFromMemory(CZipMemoryFile& file, const QString& name, int level = -1,
                            int smartness = zipsmSafeSmart, std::size_t bufferSize = 65536);
    bool AddEntryFromPath(const QString& path, int level = -1, bool fullPath = true,
                          int smartness = zipsmSafeSmart, std::size_t bufferSize = 65536);
    bool AddEntryFromPath(const QString& path, const QString& name, int level = -1,
                          int smartness = zipsmSafeSmart, std::size_t bufferSize = 65536);
    bool AddEntry(CZipAddEntryInfo& info);
    bool OpenNewEntry(CZipEntryHeader& header, int level = -1, const QString* sourcePath = nullptr,
                      std::uint64_t replaceTotal = 0);
    bool WriteNewEntry(const void* data, std::size_t size);
    bool CloseNewEntry(bool afterException = false);

    // Reading entries.
    bool OpenEntry(int index);
    std::size_t ReadEntry(void* buffer, std::size_t size);
    // Results of CloseEntry.
    enum CloseEntryResult {
        entryNotOpen = 0,
        entryClosed = 1,            // all read and the CRC matched
        entryDataLeft = -1,         // data of the entry was left unread
        entryAttributesNotSet = -2, // the extracted file's time or attributes could not be set
    };
    // A CloseEntryResult.
    int CloseEntry(const QString* extractedPath = nullptr, bool afterException = false);
    int CloseEntry(CZipFile& extractedFile);
    bool TestEntry(int index, std::size_t bufferSize = 65536);
    bool ExtractToMemory(int index, CZipMemoryFile& file, bool rewind = true, std::size_t bufferSize = 65536);
    bool ExtractToFile(int index, const QString& folder, bool fullPath = true, const QString& newName = {},
                       std::size_t bufferSize = 65536);

    // Changing entries in place.
    void DeleteEntry(int index);
    void DeleteEntries(std::vector<std::uint16_t> indexes);
    void DeleteEntries(const QStringList& names);
    bool RemoveLastEntry(bool always = false);
    bool RenameEntry(int index, const QString& newName);
    bool GetFromArchive(CZipArchive& other, int index, int replaceIndex = zipReplaceNone,
                        bool keepSystem = false, int callbackType = CZipActionCallback::cbGet);
    bool GetFromArchive(CZipArchive& other, std::vector<std::uint16_t> indexes, bool keepSystem = false);

    // Names.
    QString PredictEntryName(const QString& path, bool fullPath, int kind = -1, bool exact = false) const;
    QString PredictExtractedName(const QString& entryName, const QString& folder, bool fullPath,
                                 const QString& newName = {}) const;
    int FindPredictedEntry(const QString& path, bool fullPath, bool nameOnly, int kind = -1);
    QString TrimRootPath(const QString& path) const;

    // Settings and the rest.
    bool SetEntryExtraField(const char* data, std::size_t size);
    // The bytes copied of the open entry's local extra field; noEntryBeingRead when no entry is read.
    static constexpr int noEntryBeingRead = -1;
    int GetLocalExtraField(char* buffer, std::size_t size) const;
    QString GetArchivePath() const;
    QString GetGlobalComment() const;
    bool SetGlobalComment(const QString& comment);
    bool SetEntryComment(int index, const QString& comment);
    int GetCurrentVolume() const;
    bool SetSystemCompatibility(int system);
    int GetSystemCompatibility() const { return m_iArchiveSystCompatib; }
    void SetRootPath(const QString& path);
    QString GetRootPath() const { return m_szRootPath; }
    void SetTempPath(const QString& path, bool create = true);
    enum AutoFlushResult {
        autoFlushSet = 0,
        autoFlushNotNeeded = 1, // the archive is closed, or a new spanned archive flushes anyway
        autoFlushRefused = -1,  // an existing spanned archive
    };
    // An AutoFlushResult.
    int SetAutoFlush(bool autoFlush = true);
    void Flush();
    void GetCentralDirInfo(CZipCentralDirInfo& info) const;
    void EnableFindFast(bool enable = true);
    void SetBufferSizes(std::size_t writeBuffer = 65536, std::size_t generalBuffer = 65536,
                        std::size_t searchBuffer = 32768);
    void SetCallback(CZipActionCallback* callback, int kinds = CZipActionCallback::cbAll);
    bool GetCaseSensitivity() const { return m_bCaseSensitive; }

protected:
    struct Stream;

    [[noreturn]] void ThrowError(int cause) const;
    CZipActionCallback* GetCallback(int kind) const;
    void OpenInternal(int mode);
    void ReleaseWorkingState();
    bool UpdateReplaceIndex(int& replaceIndex, const QString& name);
    void MakeSpaceForReplace(int index, std::uint64_t totalSize, const QString& name);
    void MovePackedData(std::uint64_t start, std::uint64_t end, std::uint64_t distance,
                        CZipActionCallback* callback, bool towardsEnd);
    // Moves the bytes from start to the data's end by the difference, resizing the file, and moves the
    // offsets of the entries from firstMoved on with them.
    void ShiftTail(std::uint64_t start, std::uint64_t dataEnd, std::int64_t difference, int firstMoved,
                   CZipActionCallback* callback);
    void AutoFlush();
    void DeleteAllEntries();
    // Where an entry's stored bytes start (absolute) and how many belong to it, its descriptor included.
    std::uint64_t StoredExtent(int index, std::uint64_t& dataStart);
    bool AddEntryThroughTemporary(CZipAddEntryInfo& info, std::uint64_t sourceSize, bool efficiencyCheck);
    bool AddEntryData(CZipAddEntryInfo& info, const CZipEntryHeader& templateHeader);
    bool CopyEntryData(CZipArchive& other, int index, CZipActionCallback* callback, bool spanDescriptor);
    void FlushPending();
    void OpenEntryFraming(int index);
    void ReadCompressed();
    std::uint64_t EntrySpan(int index) const;
    // Reads the open entry through, handing each piece to the sink (when given) and the callback;
    // returns the abort cause when the callback stopped it, else 0.
    int PumpEntry(CZipFileBase* sink, std::size_t bufferSize, CZipActionCallback* callback);
    CZipActionCallback* StartCallback(int kind, const CZipEntryHeader& header, const QString& path = {});
    // The disk path for an entry, or an empty text when the name would lead outside the folder.
    QString SafeExtractTarget(const QString& entryName, const QString& folder, bool fullPath,
                              const QString& newName) const;
    // CloseEntry's result for the entry extracted to `target`; entryNotOpen also when the file read
    // whole could not be moved into place.
    int ExtractOpenEntryToFile(const QString& target, std::size_t bufferSize, CZipActionCallback* callback,
                               int& abortCause);

    bool m_bCaseSensitive = false;
    std::unique_ptr<Stream> m_stream;
    std::size_t m_iBufferSize = 65536;
    CZipBuffer m_pBuffer;
    CZipVolumeStore m_storage;
    CZipDirectory m_centralDir;
    signed char m_iFileOpened = 0; // 0 none, 1 writing a new entry, -1 reading an entry
    bool m_bAutoFlush = false;
    QString m_szRootPath;
    QString m_szTempPath;
    int m_iArchiveSystCompatib = zipHostDos;
    CZipBuffer m_pszPassword;
    ZipCrypto m_crypto;
    std::map<int, CZipActionCallback*> m_callbacks;

    enum { nothing = 0, writing = 1, reading = -1 };
};
