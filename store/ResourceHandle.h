#pragma once
// Handles: the tie between a stored object and one record of the resource store. Several handles may
// share a record; the record keeps the first and the handles chain through `m_nextHandle`. Every
// method keeps its result code in the last error. Data classes derive from CMyRes (and CObject), set
// the owner in their constructors, and store and load themselves through ArchiveData.

#include "store/ResourceManager.h"

#include <QString>

#include <cstdint>

class CArchive;

class CMyRes
{
public:
    CMyRes() = default;
    // A copy binds to the same record; it has an owner when the original had one (itself).
    CMyRes(const CMyRes& other);
    CMyRes& operator=(const CMyRes& other);
    virtual ~CMyRes();

    // The store calls Exchange(true) on the first handle's owner before it writes the record, and
    // Exchange(false) after reading it. The base does nothing; data classes call ArchiveData.
    virtual void Exchange(bool store);
    // The base does nothing; data classes write and read their fields here.
    virtual void Serialize(CArchive& archive);
    // The bound record's type, or the class's bare type when unbound.
    virtual std::int32_t GetType() const = 0;

    int Create();
    int LoadFrom(std::int32_t id = -1, int file = -1);
    int Load();
    void LoadDone() {}
    int Write();
    int SaveAs(std::int32_t id = -1, int file = -1, std::int32_t type = 0);
    int Remove(std::int32_t id = -1, int file = -1);
    int Detach();
    int FreeData();
    std::uint8_t* GetData();
    int SetSize(std::uint32_t size);
    std::int64_t GetSize();
    std::int64_t GetStoredSize();
    int SetName(const QString& name);
    int GetName(QString& name);
    int Commit();
    bool IsChanged() const;
    bool IsNew() const;
    bool IsLoaded();
    std::int32_t GetID();
    int GetFile();
    std::int32_t GetFreeId(int file, std::int32_t start);
    QString GetFileName() const;
    int GetLastError() const { return m_lastError; }

    // The kind and language bytes of a type, for the data classes.
    static int GetResTypeKind(std::int32_t type) { return ::GetResTypeKind(type); }
    static int GetResTypeLanguage(std::int32_t type) { return ::GetResTypeLanguage(type); }

    bool operator==(const CMyRes& other) const { return m_entry == other.m_entry; }
    bool operator!=(const CMyRes& other) const { return m_entry != other.m_entry; }

    CResEntry* GetEntry() const { return m_entry; }
    CMyRes* GetOwner() const { return m_owner; }
    CMyRes* GetNextHandle() const { return m_nextHandle; }

protected:
    // The round trip between the owner's fields and the record's bytes, as an archive stream. Loading
    // frees the raw bytes once the object holds its fields. A blob that the owner cannot read never
    // throws out of here: the object is reset to its defaults and the last error becomes -37.
    void ArchiveData(bool store);
    // Puts the object back to its defaults after a failed load. The default loads an empty stream,
    // which works for every class whose Serialize resets the object before reading.
    virtual void ResetToDefaults();

    int m_lastError = 0;
    CMyRes* m_owner = nullptr; // the handle part of the most-derived object, set by its constructor
    CResEntry* m_entry = nullptr;
    CMyRes* m_nextHandle = nullptr;

    friend class CResEntry;
    friend int AttachResEntry(CMyRes*, CResEntry*);
    friend int DetachResource(CMyRes*);
    friend struct ResourceStoreAccess;

    int keep(int code) { return m_lastError = code; }
    // kCurrentKey (the -1 of the defaults above) for an id or a file number stands for the bound
    // record's (0 when unbound).
    static constexpr int kCurrentKey = -1;
    void takeCurrentKeys(std::int32_t& id, int& file) const;
    void takeFirstPlace();
    bool takeOverCommittedEdits();
};

// A text stored as a resource: its bytes are the characters, with no terminator.
class CMyCharRes : public CMyRes
{
public:
    CMyCharRes() { m_owner = this; }
    CMyCharRes(const CMyCharRes& other) : CMyRes(other), m_text(other.m_text) {}
    CMyCharRes& operator=(const CMyCharRes& other) = default;

    std::int32_t GetType() const override;
    int LoadString(std::int32_t id = -1, int file = -1);
    int SaveString(std::int32_t id = -1, int file = -1);

    QString m_text;
};

// A byte array stored as a resource.
class CMyByteRes : public CMyRes
{
public:
    CMyByteRes() { m_owner = this; }
    CMyByteRes(const CMyByteRes& other) = default;
    CMyByteRes& operator=(const CMyByteRes& other) = default;

    std::int32_t GetType() const override;
    std::uint8_t* GetBytes() { return GetData(); }
    std::uint8_t SetByte(std::uint8_t value, std::size_t index);
    bool QuerySize();
};
