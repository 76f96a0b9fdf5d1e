#include "platform/archive/Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

namespace
{

constexpr std::uint16_t kNullTag = 0;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
// Beyond this many classes and objects an archive refuses to number more.
constexpr std::uint32_t kMaxMapCount = 0x3FFFFFFE;
// Class names longer than this were never written; a longer one marks a damaged stream.
constexpr std::uint16_t kMaxClassNameLength = 63;
// Objects read inside objects recurse; a damaged or hostile stream must not run the stack out.
constexpr int kMaxObjectNesting = 1000;

// The archives loading on this thread, linked through m_nextLoading: an object destroyed while they are
// open is marked gone in their load tables. An archive loads on the thread that made it. A plain
// pointer, so that objects destroyed after the thread's own variables still find a valid list.
thread_local CArchive* theLoadingArchives = nullptr;

} // namespace

CObject::~CObject()
{
    for (CArchive* archive = theLoadingArchives; archive; archive = archive->m_nextLoading)
        archive->forgetLoadedObject(this);
}

// ---- runtime classes ---------------------------------------------------------------------------

const CRuntimeClass CObject::classCObject = {"CObject", kNoSchema, nullptr, nullptr};

void CObject::Serialize(CArchive&) {}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

std::unique_ptr<CObject> CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* current = this; current; current = current->m_pBaseClass) {
        if (current == base)
            return true;
    }
    return false;
}

namespace
{

std::unordered_map<std::string, const CRuntimeClass*>& classRegistry()
{
    static std::unordered_map<std::string, const CRuntimeClass*> registry = {
        {"CObject", &CObject::classCObject}};
    return registry;
}

} // namespace

CClassRegistration::CClassRegistration(const CRuntimeClass* runtimeClass)
{
    classRegistry().emplace(runtimeClass->m_lpszClassName, runtimeClass);
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name)
{
    const auto& registry = classRegistry();
    const auto found = registry.find(name ? name : "");
    return found == registry.end() ? nullptr : found->second;
}

const CRuntimeClass* CRuntimeClass::FromName(const QString& name)
{
    return FromName(toWindows1252(name).constData());
}

std::vector<const CRuntimeClass*> CRuntimeClass::AllRegistered()
{
    std::vector<const CRuntimeClass*> all;
    for (const auto& [name, runtimeClass] : classRegistry())
        all.push_back(runtimeClass);
    std::sort(all.begin(), all.end(), [](const CRuntimeClass* a, const CRuntimeClass* b) {
        return std::strcmp(a->m_lpszClassName, b->m_lpszClassName) < 0;
    });
    return all;
}

// ---- the archive -------------------------------------------------------------------------------

CArchive::CArchive(CMemFile& file, unsigned mode, int, void*) : m_file(&file), m_loading(mode & load)
{
    if (m_loading) {
        m_loadArray.push_back({EntryKind::Null, nullptr, nullptr, 0});
        m_nextLoading = std::exchange(theLoadingArchives, this);
        m_tracking = true;
    } else {
        m_storeMap.emplace(nullptr, kNullTag);
    }
}

CArchive::~CArchive()
{
    stopTrackingObjects();
}

void CArchive::stopTrackingObjects()
{
    if (!m_tracking)
        return;
    for (CArchive** link = &theLoadingArchives; *link; link = &(*link)->m_nextLoading) {
        if (*link == this) {
            *link = m_nextLoading;
            break;
        }
    }
    m_tracking = false;
    m_loadedObjects.clear();
}

void CArchive::forgetLoadedObject(const CObject* object)
{
    const auto found = m_loadedObjects.find(object);
    if (found == m_loadedObjects.end())
        return;
    m_loadArray[found->second] = {EntryKind::Lost, nullptr, nullptr, 0};
    m_loadedObjects.erase(found);
}

CArchive::CArchive(CMemFile* file, unsigned mode, int bufferSize, void* buffer)
    : CArchive(*file, mode, bufferSize, buffer)
{
}

void CArchive::Close()
{
    stopTrackingObjects();
    m_file = nullptr;
    m_storeMap.clear();
    m_loadArray.clear();
}

CMemFile& CArchive::file() const
{
    if (!m_file)
        throw CArchiveException(CArchiveException::usedAfterClose, "archive used after Close");
    return *m_file;
}

void CArchive::requireStoring() const
{
    if (m_loading)
        throw CArchiveException(CArchiveException::readOnly, "writing to a loading archive");
}

void CArchive::requireLoading() const
{
    if (!m_loading)
        throw CArchiveException(CArchiveException::writeOnly, "reading from a storing archive");
}

void CArchive::Write(const void* buffer, std::size_t count)
{
    requireStoring();
    file().Write(buffer, count);
}

std::size_t CArchive::Read(void* buffer, std::size_t count)
{
    requireLoading();
    if (count > BytesLeft())
        throw CArchiveException(CArchiveException::endOfFile, "archive stream ends early");
    file().Read(buffer, count);
    return count;
}

std::uint64_t CArchive::BytesLeft() const
{
    const CMemFile& source = file();
    return source.GetPosition() < source.GetLength() ? source.GetLength() - source.GetPosition() : 0;
}

template <class T> void CArchive::writeLittleEndian(T value)
{
    using Bits = std::make_unsigned_t<T>;
    const auto bits = static_cast<Bits>(value);
    std::uint8_t bytes[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    Write(bytes, sizeof(T));
}

template <class T> T CArchive::readLittleEndian()
{
    using Bits = std::make_unsigned_t<T>;
    std::uint8_t bytes[sizeof(T)];
    Read(bytes, sizeof(T));
    Bits bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits = static_cast<Bits>(bits | (static_cast<Bits>(bytes[i]) << (8 * i)));
    return static_cast<T>(bits);
}

CArchive& CArchive::operator<<(std::uint8_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::int8_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(char value)
{
    writeLittleEndian(static_cast<std::uint8_t>(value));
    return *this;
}
CArchive& CArchive::operator<<(std::uint16_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::int16_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::uint32_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::int32_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::uint64_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(std::int64_t value)
{
    writeLittleEndian(value);
    return *this;
}
CArchive& CArchive::operator<<(float value)
{
    writeLittleEndian(std::bit_cast<std::uint32_t>(value));
    return *this;
}
CArchive& CArchive::operator<<(double value)
{
    writeLittleEndian(std::bit_cast<std::uint64_t>(value));
    return *this;
}

CArchive& CArchive::operator>>(std::uint8_t& value)
{
    value = readLittleEndian<std::uint8_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::int8_t& value)
{
    value = readLittleEndian<std::int8_t>();
    return *this;
}
CArchive& CArchive::operator>>(char& value)
{
    value = static_cast<char>(readLittleEndian<std::uint8_t>());
    return *this;
}
CArchive& CArchive::operator>>(std::uint16_t& value)
{
    value = readLittleEndian<std::uint16_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::int16_t& value)
{
    value = readLittleEndian<std::int16_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::uint32_t& value)
{
    value = readLittleEndian<std::uint32_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::int32_t& value)
{
    value = readLittleEndian<std::int32_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::uint64_t& value)
{
    value = readLittleEndian<std::uint64_t>();
    return *this;
}
CArchive& CArchive::operator>>(std::int64_t& value)
{
    value = readLittleEndian<std::int64_t>();
    return *this;
}
CArchive& CArchive::operator>>(long long& value)
{
    value = readLittleEndian<std::int64_t>();
    return *this;
}
CArchive& CArchive::operator>>(unsigned long long& value)
{
    value = readLittleEndian<std::uint64_t>();
    return *this;
}
CArchive& CArchive::operator>>(float& value)
{
    value = std::bit_cast<float>(readLittleEndian<std::uint32_t>());
    return *this;
}
CArchive& CArchive::operator>>(double& value)
{
    value = std::bit_cast<double>(readLittleEndian<std::uint64_t>());
    return *this;
}

// ---- strings -----------------------------------------------------------------------------------

void CArchive::writeStringLength(std::uint64_t length, bool unicode)
{
    if (unicode) {
        writeLittleEndian<std::uint8_t>(0xFF);
        writeLittleEndian<std::uint16_t>(0xFFFE);
    }
    if (length < 0xFF) {
        writeLittleEndian(static_cast<std::uint8_t>(length));
        return;
    }
    writeLittleEndian<std::uint8_t>(0xFF);
    if (length < 0xFFFE) {
        writeLittleEndian(static_cast<std::uint16_t>(length));
        return;
    }
    writeLittleEndian<std::uint16_t>(0xFFFF);
    if (length < 0xFFFFFFFF) {
        writeLittleEndian(static_cast<std::uint32_t>(length));
        return;
    }
    writeLittleEndian<std::uint32_t>(0xFFFFFFFF);
    writeLittleEndian(length);
}

// 0xFFFE where a 2-byte length would stand marks a UTF-16 text, whose own length prefix follows.
std::uint64_t CArchive::readStringLength(bool& unicode)
{
    unicode = false;
    std::uint8_t shortLength = readLittleEndian<std::uint8_t>();
    if (shortLength < 0xFF)
        return shortLength;
    std::uint16_t wordLength = readLittleEndian<std::uint16_t>();
    if (wordLength == 0xFFFE) {
        unicode = true;
        shortLength = readLittleEndian<std::uint8_t>();
        if (shortLength < 0xFF)
            return shortLength;
        wordLength = readLittleEndian<std::uint16_t>();
    }
    if (wordLength < 0xFFFF)
        return wordLength;
    const auto dwordLength = readLittleEndian<std::uint32_t>();
    if (dwordLength < 0xFFFFFFFF)
        return dwordLength;
    return readLittleEndian<std::uint64_t>();
}

CArchive& CArchive::operator<<(const QString& text)
{
    requireStoring();
    bool lossless = true;
    const QByteArray narrow = toWindows1252(text, &lossless);
    if (lossless) {
        writeStringLength(static_cast<std::uint64_t>(narrow.size()), false);
        Write(narrow.constData(), static_cast<std::size_t>(narrow.size()));
        return *this;
    }
    writeStringLength(static_cast<std::uint64_t>(text.size()), true);
    for (const QChar unit : text)
        writeLittleEndian<std::uint16_t>(unit.unicode());
    return *this;
}

CArchive& CArchive::operator>>(QString& text)
{
    bool unicode = false;
    const std::uint64_t length = readStringLength(unicode);
    const std::uint64_t unitSize = unicode ? 2 : 1;
    // Checked before anything is allocated: a damaged prefix may claim gigabytes.
    if (length > BytesLeft() / unitSize)
        throw CArchiveException(CArchiveException::endOfFile, "string runs past the end of the archive");
    QByteArray bytes(static_cast<qsizetype>(length * unitSize), Qt::Uninitialized);
    Read(bytes.data(), static_cast<std::size_t>(bytes.size()));
    if (!unicode) {
        text = fromWindows1252(bytes);
        return *this;
    }
    QString wide(static_cast<qsizetype>(length), Qt::Uninitialized);
    for (qsizetype i = 0; i < wide.size(); ++i) {
        const auto low = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto high = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        wide[i] = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    text = wide;
    return *this;
}

// ---- counts ------------------------------------------------------------------------------------

void CArchive::WriteCount(std::size_t count)
{
    if (count < 0xFFFF) {
        writeLittleEndian(static_cast<std::uint16_t>(count));
        return;
    }
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw CArchiveException(CArchiveException::countTooLarge, "count too large for an archive");
    writeLittleEndian<std::uint16_t>(0xFFFF);
    writeLittleEndian(static_cast<std::uint32_t>(count));
}

std::size_t CArchive::ReadCount()
{
    const auto shortCount = readLittleEndian<std::uint16_t>();
    if (shortCount != 0xFFFF)
        return shortCount;
    return readLittleEndian<std::uint32_t>();
}

// ---- object references -------------------------------------------------------------------------

std::uint32_t CArchive::nextMapIndex()
{
    if (m_mapCount > kMaxMapCount)
        throw CArchiveException(CArchiveException::tooManyObjects, "too many objects in one archive");
    return m_mapCount++;
}

void CArchive::writeIndexTag(std::uint32_t index, bool isClass)
{
    if (index < kBigObjectTag) {
        writeLittleEndian(static_cast<std::uint16_t>(isClass ? (kClassTag | index) : index));
        return;
    }
    writeLittleEndian(kBigObjectTag);
    writeLittleEndian(isClass ? (kBigClassTag | index) : index);
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    requireStoring();
    // A class that cannot be made could never be read back.
    if (!runtimeClass || !runtimeClass->IsCreatable())
        throw CArchiveException(CArchiveException::badClass, "class cannot be stored in an archive");
    const auto known = m_storeMap.find(runtimeClass);
    if (known != m_storeMap.end()) {
        writeIndexTag(known->second, true);
        return;
    }
    const QByteArray name(runtimeClass->m_lpszClassName);
    writeLittleEndian(kNewClassTag);
    writeLittleEndian(static_cast<std::uint16_t>(runtimeClass->m_wSchema));
    writeLittleEndian(static_cast<std::uint16_t>(name.size()));
    Write(name.constData(), static_cast<std::size_t>(name.size()));
    m_storeMap.emplace(runtimeClass, nextMapIndex());
}

void CArchive::WriteObject(const CObject* object)
{
    requireStoring();
    const auto known = m_storeMap.find(object);
    if (known != m_storeMap.end()) {
        writeIndexTag(known->second, false);
        return;
    }
    WriteClass(object->GetRuntimeClass());
    m_storeMap.emplace(object, nextMapIndex());
    // Serialize only reads the object when the archive is storing.
    const_cast<CObject*>(object)->Serialize(*this);
}

CArchive::Tag CArchive::readTag()
{
    const auto shortTag = readLittleEndian<std::uint16_t>();
    if (shortTag == kNewClassTag)
        return {true, true, 0};
    if (shortTag == kBigObjectTag) {
        const auto bigTag = readLittleEndian<std::uint32_t>();
        return {(bigTag & kBigClassTag) != 0, false, bigTag & ~kBigClassTag};
    }
    return {(shortTag & kClassTag) != 0, false, static_cast<std::uint32_t>(shortTag & ~kClassTag)};
}

const CRuntimeClass* CArchive::readNewClass(std::uint32_t& schema)
{
    schema = readLittleEndian<std::uint16_t>();
    const auto nameLength = readLittleEndian<std::uint16_t>();
    if (nameLength > kMaxClassNameLength)
        throw CArchiveException(CArchiveException::badClass, "class name too long");
    QByteArray name(nameLength, Qt::Uninitialized);
    Read(name.data(), nameLength);
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName(name.constData());
    if (!runtimeClass || !runtimeClass->IsCreatable())
        throw CArchiveException(CArchiveException::badClass,
                                QStringLiteral("unknown class %1").arg(fromWindows1252(name)));
    const std::uint32_t ownSchema = runtimeClass->m_wSchema & ~VERSIONABLE_SCHEMA;
    if (ownSchema != schema && !(runtimeClass->m_wSchema & VERSIONABLE_SCHEMA))
        throw CArchiveException(CArchiveException::badSchema,
                                QStringLiteral("class %1 written with schema %2, expected %3")
                                    .arg(fromWindows1252(name))
                                    .arg(schema)
                                    .arg(ownSchema));
    m_loadArray.push_back({EntryKind::Class, runtimeClass, nullptr, schema});
    nextMapIndex();
    return runtimeClass;
}

const CRuntimeClass* CArchive::classAt(std::uint32_t index, std::uint32_t& schema) const
{
    if (index >= m_loadArray.size() || m_loadArray[index].kind != EntryKind::Class)
        throw CArchiveException(CArchiveException::badIndex, "class tag refers to no class");
    schema = m_loadArray[index].schema;
    return m_loadArray[index].runtimeClass;
}

const CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* expected, std::uint32_t* schema)
{
    requireLoading();
    const Tag tag = readTag();
    if (!tag.isClass)
        throw CArchiveException(CArchiveException::badIndex, "object tag where a class was expected");
    std::uint32_t readSchema = 0;
    const CRuntimeClass* runtimeClass =
        tag.isNewClass ? readNewClass(readSchema) : classAt(tag.index, readSchema);
    if (expected && !runtimeClass->IsDerivedFrom(expected))
        throw CArchiveException(CArchiveException::badClass, "object of an unexpected class");
    if (schema)
        *schema = readSchema;
    return runtimeClass;
}

std::unique_ptr<CObject> CArchive::readNewObject(const CRuntimeClass* runtimeClass, std::uint32_t schema)
{
    std::unique_ptr<CObject> object = runtimeClass->CreateObject();
    if (!object)
        throw CArchiveException(CArchiveException::badClass, "class cannot be created");
    // Numbered before its fields are read, so that they may refer back to it.
    const std::size_t entry = m_loadArray.size();
    m_loadArray.push_back({EntryKind::Object, runtimeClass, object.get(), schema});
    m_loadedObjects[object.get()] = entry;
    nextMapIndex();
    if (m_nesting >= kMaxObjectNesting)
        throw CArchiveException(CArchiveException::nestedTooDeeply, "objects nested too deeply");
    const std::uint32_t outerSchema = m_objectSchema;
    m_objectSchema = schema;
    ++m_nesting;
    try {
        object->Serialize(*this);
    } catch (...) {
        --m_nesting;
        m_objectSchema = outerSchema;
        // The object and whatever it had read into itself are gone; nothing may refer to them.
        for (std::size_t i = entry; i < m_loadArray.size(); ++i) {
            if (m_loadArray[i].kind == EntryKind::Object) {
                m_loadedObjects.erase(m_loadArray[i].object);
                m_loadArray[i] = {EntryKind::Lost, nullptr, nullptr, 0};
            }
        }
        throw;
    }
    --m_nesting;
    m_objectSchema = outerSchema;
    return object;
}

CObject* CArchive::readObjectEntry(const CRuntimeClass* expected, bool& isNew)
{
    requireLoading();
    isNew = false;
    const auto start = file().GetPosition();
    const Tag tag = readTag();
    if (tag.isClass) {
        file().Seek(static_cast<std::int64_t>(start));
        std::uint32_t schema = 0;
        const CRuntimeClass* runtimeClass = ReadClass(expected, &schema);
        isNew = true;
        return readNewObject(runtimeClass, schema).release();
    }
    if (tag.index >= m_loadArray.size())
        throw CArchiveException(CArchiveException::badIndex, "object tag refers to nothing read");
    const LoadEntry& entry = m_loadArray[tag.index];
    if (entry.kind == EntryKind::Null)
        return nullptr;
    if (entry.kind == EntryKind::Lost)
        throw CArchiveException(CArchiveException::badIndex, "object tag refers to an object that is gone");
    if (entry.kind != EntryKind::Object)
        throw CArchiveException(CArchiveException::badIndex, "object tag refers to no object");
    // The class as the stream gave it: the object itself is not touched before it is handed out.
    if (expected && !entry.runtimeClass->IsDerivedFrom(expected))
        throw CArchiveException(CArchiveException::badClass, "object of an unexpected class");
    return entry.object;
}

CObject* CArchive::ReadObject(const CRuntimeClass* expected)
{
    bool isNew = false;
    return readObjectEntry(expected, isNew);
}

std::unique_ptr<CObject> CArchive::ReadOwnedObject(const CRuntimeClass* expected)
{
    bool isNew = false;
    CObject* object = readObjectEntry(expected, isNew);
    if (object && !isNew)
        throw CArchiveException(CArchiveException::badIndex, "object read twice into owned storage");
    return std::unique_ptr<CObject>(object);
}

CArchive& CArchive::operator>>(CObject*& object)
{
    object = ReadObject(nullptr);
    return *this;
}

std::uint32_t CArchive::GetObjectSchema()
{
    const std::uint32_t schema = m_objectSchema;
    m_objectSchema = 0xFFFFFFFF;
    return schema;
}

// ---- geometry ----------------------------------------------------------------------------------

CArchive& operator<<(CArchive& ar, const POINT& point)
{
    return ar << point.x << point.y;
}
CArchive& operator<<(CArchive& ar, const SIZE& size)
{
    return ar << size.cx << size.cy;
}
CArchive& operator<<(CArchive& ar, const RECT& rect)
{
    return ar << rect.left << rect.top << rect.right << rect.bottom;
}
CArchive& operator>>(CArchive& ar, POINT& point)
{
    return ar >> point.x >> point.y;
}
CArchive& operator>>(CArchive& ar, SIZE& size)
{
    return ar >> size.cx >> size.cy;
}
CArchive& operator>>(CArchive& ar, RECT& rect)
{
    return ar >> rect.left >> rect.top >> rect.right >> rect.bottom;
}
