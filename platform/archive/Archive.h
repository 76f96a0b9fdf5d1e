#pragma once
// Archive streams: the byte format in which every stored object writes its fields into its record
// and reads them back. The format is fixed by the files already in use:
//
// - numbers little-endian at their own width (float and double as IEEE 754);
// - strings: a length prefix, then the characters. The prefix is 1 byte for lengths below 0xFF,
//   0xFF + 2 bytes below 0xFFFE, 0xFF 0xFFFF + 4 bytes beyond. Texts are in Windows-1252; a text that
//   code page cannot hold is written as UTF-16LE behind the marker 0xFF 0xFFFE, and its length prefix
//   then counts UTF-16 units. Readers take both forms;
// - counts: 2 bytes below 0xFFFF, else 0xFFFF + 4 bytes;
// - object references: a 16-bit tag. 0 is no object; 0xFFFF introduces a class the stream has not
//   named yet (16-bit schema, 16-bit name length, the name), followed by the object's fields;
//   0x8000 | n names the class numbered n, followed by the object's fields; a plain n refers back to
//   the object numbered n. Numbers past 0x7FFE are written as 0x7FFF + a 32-bit tag (with the bit
//   0x80000000 for a class). Classes and objects share one numbering per archive; 0 is "no object".
//
// Layout: doc/formats/tvf.md (the archive stream)

#include "platform/archive/ArchiveException.h"
#include "platform/archive/Cp1252.h"
#include "platform/archive/MemFile.h"
#include "platform/archive/RuntimeClass.h"
#include "platform/types/WinTypes.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class CArchive
{
public:
    enum Mode : unsigned { store = 0, load = 1, bNoFlushOnDelete = 2 };

    // The archive reads or writes at the file's current position. The buffer size is accepted for
    // the callers' sake; the memory file is the buffer.
    CArchive(CMemFile& file, unsigned mode, int bufferSize = 4096, void* buffer = nullptr);
    CArchive(CMemFile* file, unsigned mode, int bufferSize = 4096, void* buffer = nullptr);
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;
    ~CArchive();

    bool IsLoading() const { return m_loading; }
    bool IsStoring() const { return !m_loading; }
    CMemFile* GetFile() const { return m_file; }
    // Ends the archive; any use afterwards throws.
    void Close();
    void Abort() { Close(); }
    void Flush() {}

    CArchive& operator<<(std::uint8_t value);
    CArchive& operator<<(std::int8_t value);
    CArchive& operator<<(char value);
    CArchive& operator<<(std::uint16_t value);
    CArchive& operator<<(std::int16_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint64_t value);
    CArchive& operator<<(std::int64_t value);
    CArchive& operator<<(long long value) { return *this << static_cast<std::int64_t>(value); }
    CArchive& operator<<(unsigned long long value) { return *this << static_cast<std::uint64_t>(value); }
    CArchive& operator<<(float value);
    CArchive& operator<<(double value);
    CArchive& operator<<(const QString& text);
    CArchive& operator<<(const CObject* object)
    {
        WriteObject(object);
        return *this;
    }

    CArchive& operator>>(std::uint8_t& value);
    CArchive& operator>>(std::int8_t& value);
    CArchive& operator>>(char& value);
    CArchive& operator>>(std::uint16_t& value);
    CArchive& operator>>(std::int16_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint64_t& value);
    CArchive& operator>>(std::int64_t& value);
    CArchive& operator>>(long long& value);
    CArchive& operator>>(unsigned long long& value);
    CArchive& operator>>(float& value);
    CArchive& operator>>(double& value);
    CArchive& operator>>(QString& text);
    CArchive& operator>>(CObject*& object);

    // Raw bytes. Read fills all `count` bytes or throws (endOfFile); it returns `count`.
    void Write(const void* buffer, std::size_t count);
    std::size_t Read(void* buffer, std::size_t count);
    // How many bytes a loading archive has left before the end of its file.
    std::uint64_t BytesLeft() const;

    // A count is only as trustworthy as the stream: a reader never allocates from it up front.
    void WriteCount(std::size_t count);
    std::size_t ReadCount();

    // Writes a reference to the object; the first time, also its class and its fields (Serialize).
    void WriteObject(const CObject* object);
    // Reads an object reference. Null for "no object". A new object belongs to the caller; a
    // reference back to an object read earlier in this archive returns that same pointer again, which
    // still belongs to whoever took the first one. With `expected` given, an object of any other
    // class throws badClass. A reference back to an object that its owner has destroyed meanwhile
    // throws badIndex.
    CObject* ReadObject(const CRuntimeClass* expected);
    // As ReadObject for callers that own what they read: a reference back to an earlier object
    // throws badIndex, since the object would otherwise have two owners.
    std::unique_ptr<CObject> ReadOwnedObject(const CRuntimeClass* expected);

    void WriteClass(const CRuntimeClass* runtimeClass);
    // Reads a class reference (a new class or a class number) and gives the schema it was written
    // with.
    const CRuntimeClass* ReadClass(const CRuntimeClass* expected = nullptr, std::uint32_t* schema = nullptr);

    // Inside Serialize of an object being loaded: the schema its stream was written with. Answers
    // once; a second call in the same Serialize gives 0xFFFFFFFF.
    std::uint32_t GetObjectSchema();
    void SetObjectSchema(std::uint32_t schema) { m_objectSchema = schema; }

private:
    enum class EntryKind { Null, Class, Object, Lost };
    struct LoadEntry {
        EntryKind kind;
        const CRuntimeClass* runtimeClass;
        CObject* object;
        std::uint32_t schema;
    };
    struct Tag {
        bool isClass;
        bool isNewClass;
        std::uint32_t index;
    };

    CMemFile& file() const;
    void requireStoring() const;
    void requireLoading() const;
    template <class T> void writeLittleEndian(T value);
    template <class T> T readLittleEndian();

    void writeStringLength(std::uint64_t length, bool unicode);
    std::uint64_t readStringLength(bool& unicode);
    void writeIndexTag(std::uint32_t index, bool isClass);
    Tag readTag();
    std::uint32_t nextMapIndex();
    const CRuntimeClass* readNewClass(std::uint32_t& schema);
    const CRuntimeClass* classAt(std::uint32_t index, std::uint32_t& schema) const;
    CObject* readObjectEntry(const CRuntimeClass* expected, bool& isNew);
    std::unique_ptr<CObject> readNewObject(const CRuntimeClass* runtimeClass, std::uint32_t schema);

    friend class CObject;
    // Marks the entry of an object read by this archive as gone (the object is being destroyed).
    void forgetLoadedObject(const CObject* object);
    void stopTrackingObjects();

    CMemFile* m_file;
    bool m_loading;
    std::uint32_t m_objectSchema = 0xFFFFFFFF;
    std::uint32_t m_mapCount = 1;
    int m_nesting = 0;
    std::unordered_map<const void*, std::uint32_t> m_storeMap;
    std::vector<LoadEntry> m_loadArray;
    // Where each object read by this archive sits in the load table, while the archive is open.
    std::unordered_map<const CObject*, std::size_t> m_loadedObjects;
    bool m_tracking = false;
    CArchive* m_nextLoading = nullptr;
};

// Points, sizes and rectangles as 32-bit fields: x, y / cx, cy / left, top, right, bottom.
CArchive& operator<<(CArchive& ar, const POINT& point);
CArchive& operator<<(CArchive& ar, const SIZE& size);
CArchive& operator<<(CArchive& ar, const RECT& rect);
CArchive& operator>>(CArchive& ar, POINT& point);
CArchive& operator>>(CArchive& ar, SIZE& size);
CArchive& operator>>(CArchive& ar, RECT& rect);

// A list of owned objects as a count followed by one object reference per item. Loading replaces
// the list's contents; items whose reference is "no object" are left out, and an item that refers
// back to an earlier one is a read error.
template <class T> void SerializeObjectList(CArchive& ar, std::vector<std::unique_ptr<T>>& list)
{
    if (ar.IsStoring()) {
        ar.WriteCount(list.size());
        for (const auto& item : list)
            ar.WriteObject(item.get());
        return;
    }
    list.clear();
    for (std::size_t remaining = ar.ReadCount(); remaining > 0; --remaining) {
        std::unique_ptr<CObject> object = ar.ReadOwnedObject(T::GetThisClass());
        if (!object)
            continue;
        std::unique_ptr<T> item(static_cast<T*>(object.release()));
        list.push_back(std::move(item));
    }
}
