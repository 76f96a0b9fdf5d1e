#include "store/ResourceHandle.h"

#include "platform/archive/Archive.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/Cp1252.h"
#include "platform/archive/MemFile.h"
#include "platform/files/FileSystem.h"
#include "store/ResourceManagerInternal.h"

#include <algorithm>
#include <cstring>

CMyRes::CMyRes(const CMyRes& other) : m_owner(other.m_owner ? this : nullptr)
{
    if (other.m_entry)
        AttachResEntry(this, other.m_entry);
}

CMyRes& CMyRes::operator=(const CMyRes& other)
{
    if (this == &other)
        return *this;
    DetachResource(this);
    if (other.m_entry)
        keep(AttachResEntry(this, other.m_entry));
    return *this;
}

CMyRes::~CMyRes()
{
    DetachResource(this);
}

void CMyRes::Exchange(bool) {}

void CMyRes::Serialize(CArchive&) {}

int CMyRes::Create()
{
    DetachResource(this);
    if (!m_owner)
        return keep(RES_ERR_NO_OWNER);
    return keep(CreateResEntry(this, GetType()));
}

void CMyRes::takeCurrentKeys(std::int32_t& id, int& file) const
{
    if (id == kCurrentKey)
        id = m_entry ? m_entry->GetId() : 0;
    if (file == kCurrentKey)
        file = m_entry ? m_entry->GetFile() : 0;
}

int CMyRes::LoadFrom(std::int32_t id, int file)
{
    takeCurrentKeys(id, file);
    if (!m_owner)
        return keep(RES_ERR_NO_OWNER);
    const int attached = AttachResource(this, id, GetType(), file);
    if (attached != RES_OK)
        return keep(attached);
    return Load();
}

int CMyRes::Load()
{
    if (!m_entry)
        return keep(RES_ERR_NO_RECORD);
    if (m_entry->GetFile() != 0 && !FindResFileEntry(m_entry->GetFile()))
        return keep(RES_ERR_UNKNOWN_FILE);
    // Loading may record a finer result (an unreadable blob) in the last error.
    m_lastError = RES_OK;
    if (takeOverCommittedEdits())
        return keep(RES_OK);
    takeFirstPlace();
    const int result = ReadResData(m_entry);
    if (result != RES_OK)
        return keep(result);
    return m_lastError;
}

int CMyRes::Write()
{
    if (!m_entry)
        return keep(RES_ERR_NO_RECORD);
    if (m_entry->GetFile() != 0 && !FindResFileEntry(m_entry->GetFile()))
        return keep(RES_ERR_UNKNOWN_FILE);
    takeFirstPlace();
    return keep(WriteResData(m_entry));
}

int CMyRes::SaveAs(std::int32_t id, int file, std::int32_t type)
{
    if (!m_entry)
        Create();
    if (!m_entry)
        return keep(RES_ERR_NO_RECORD);
    takeCurrentKeys(id, file);
    if (type == 0)
        type = GetType();
    const int moved = MoveResource(this, id, type, file);
    if (moved != RES_OK)
        return keep(moved);
    return Commit();
}

int CMyRes::Remove(std::int32_t id, int file)
{
    if (id == kCurrentKey && file == kCurrentKey)
        return keep(RemoveResource(this, 0, 0, 0));
    if (!m_entry)
        return keep(RES_ERR_NO_RECORD);
    takeCurrentKeys(id, file);
    return keep(RemoveResource(nullptr, id, GetType(), file));
}

int CMyRes::Detach()
{
    return keep(DetachResource(this));
}

int CMyRes::FreeData()
{
    return keep(FreeResourceData(this));
}

std::uint8_t* CMyRes::GetData()
{
    if (!m_entry) {
        keep(RES_ERR_NO_RECORD);
        return nullptr;
    }
    keep(RES_OK);
    return m_entry->GetData();
}

int CMyRes::SetSize(std::uint32_t size)
{
    return keep(SetResourceSize(this, size));
}

std::int64_t CMyRes::GetSize()
{
    const std::int64_t size = GetResourceSize(this);
    keep(size < 0 ? static_cast<int>(size) : RES_OK);
    return size;
}

std::int64_t CMyRes::GetStoredSize()
{
    const std::int64_t size = GetResourceStoredSize(this);
    keep(size < 0 ? static_cast<int>(size) : RES_OK);
    return size < 0 ? std::int64_t{RES_ERR_NO_SIZE} : size;
}

int CMyRes::SetName(const QString& name)
{
    return keep(SetResourceName(this, name));
}

int CMyRes::GetName(QString& name)
{
    name = GetResourceName(this);
    return keep(m_entry ? RES_OK : RES_ERR_NO_RECORD);
}

int CMyRes::Commit()
{
    takeFirstPlace();
    return keep(CommitResource(this));
}

// The store reads and stores a record through the owner of its first handle. Other objects may be
// bound to the same record (the word index's word, a pane's copy of it, one a finder has just attached
// and not loaded): the object that loads, writes or commits takes the first place, so that it is its
// own content that is read or stored, now or at the next save.
// Another object's edits, committed for the next save, are newer than the record's blob: reading the
// blob would drop them unsaved. This object takes them over from that object instead.
bool CMyRes::takeOverCommittedEdits()
{
    if (!m_owner || !(m_entry->m_flags & RESFLAG_CHANGED) || !m_entry->m_firstHandle)
        return false;
    CMyRes* holder = m_entry->m_firstHandle->GetOwner();
    if (!holder || holder == m_owner)
        return false;
    holder->Exchange(true);
    m_owner->Exchange(false);
    return true;
}

void CMyRes::takeFirstPlace()
{
    if (!m_owner || !m_entry || m_entry->m_firstHandle == this)
        return;
    CMyRes** link = &m_entry->m_firstHandle;
    while (*link && *link != this)
        link = &(*link)->m_nextHandle;
    if (!*link)
        return;
    *link = m_nextHandle;
    m_nextHandle = m_entry->m_firstHandle;
    m_entry->m_firstHandle = this;
}

bool CMyRes::IsChanged() const
{
    return m_entry && (m_entry->m_flags & RESFLAG_CHANGED);
}

bool CMyRes::IsNew() const
{
    return m_entry && (m_entry->m_flags & RESFLAG_NEW);
}

bool CMyRes::IsLoaded()
{
    if (!m_entry) {
        keep(RES_ERR_NO_RECORD);
        return false;
    }
    keep(RES_OK);
    return m_entry->m_hasData || (m_entry->m_flags & RESFLAG_READ);
}

std::int32_t CMyRes::GetID()
{
    keep(m_entry ? RES_OK : RES_ERR_NO_RECORD);
    return m_entry ? m_entry->GetId() : 0;
}

int CMyRes::GetFile()
{
    keep(m_entry ? RES_OK : RES_ERR_NO_RECORD);
    return m_entry ? m_entry->GetFile() : 0;
}

std::int32_t CMyRes::GetFreeId(int file, std::int32_t start)
{
    if (!m_entry) {
        keep(RES_ERR_NO_RECORD);
        return 0;
    }
    std::int32_t id = std::max<std::int32_t>(start, 1);
    const int result = keep(FindFreeResId(&id, file, m_entry->GetType()));
    return result == RES_OK ? id : 0;
}

QString CMyRes::GetFileName() const
{
    if (!m_entry)
        return {};
    const QString path = GetResFilePath(m_entry->GetFile());
    return path.isEmpty() ? QString() : lumivo::files::fileNameOf(path);
}

// ---------------------------------------------------------------------------------------------------

std::int32_t CMyCharRes::GetType() const
{
    return RESTYPE_STRING;
}

int CMyCharRes::LoadString(std::int32_t id, int file)
{
    m_text.clear();
    const int result = LoadFrom(id, file);
    if (result != RES_OK)
        return result;
    const std::uint8_t* data = GetData();
    const std::int64_t size = m_entry ? m_entry->GetDataSize() : 0;
    if (data && size > 0) {
        const auto* begin = reinterpret_cast<const char*>(data);
        const auto* end = static_cast<const char*>(std::memchr(begin, 0, static_cast<std::size_t>(size)));
        const QByteArray bytes(begin, end ? end - begin : static_cast<qsizetype>(size));
        m_text = fromWindows1252(bytes);
    }
    return keep(RES_OK);
}

int CMyCharRes::SaveString(std::int32_t id, int file)
{
    if (!m_entry && Create() != RES_OK)
        return m_lastError;
    const int moved = SaveAs(id, file, 0);
    if (moved != RES_OK)
        return moved;
    const QByteArray bytes = toWindows1252(m_text);
    if (SetSize(static_cast<std::uint32_t>(bytes.size())) != RES_OK)
        return m_lastError;
    if (!bytes.isEmpty())
        std::memcpy(m_entry->m_data.data(), bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return Commit();
}

std::int32_t CMyByteRes::GetType() const
{
    return RESTYPE_BYTES;
}

std::uint8_t CMyByteRes::SetByte(std::uint8_t value, std::size_t index)
{
    std::uint8_t* data = GetData();
    if (data && m_entry && index < m_entry->GetDataSize())
        data[index] = value;
    return value;
}

bool CMyByteRes::QuerySize()
{
    GetSize();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// The round trip between an object and its bytes

void CMyRes::ArchiveData(bool store)
{
    if (!m_entry) {
        keep(RES_ERR_NO_RECORD);
        return;
    }
    CMyRes* owner = m_owner ? m_owner : this;
    CMemFile memory(1024);
    if (store) {
        try {
            CArchive archive(memory, CArchive::store, 4096);
            owner->Serialize(archive);
            archive.Close();
        } catch (const std::exception&) {
            keep(RES_ERR_UNWRITABLE_OBJECT);
            return;
        }
        const std::vector<std::uint8_t> bytes = memory.DetachBytes();
        if (SetSize(static_cast<std::uint32_t>(bytes.size())) != RES_OK)
            return;
        if (!bytes.empty())
            std::memcpy(m_entry->m_data.data(), bytes.data(), bytes.size());
        keep(RES_OK);
        return;
    }
    // Raw bytes only: asking the store for the data would make it load this object again.
    const int read = lumivo::store::bringBlobIntoMemory(m_entry);
    if (read != RES_OK) {
        keep(read);
        return;
    }
    memory.Attach(m_entry->m_data.data(), m_entry->m_data.size());
    try {
        CArchive archive(memory, CArchive::load, 4096);
        owner->Serialize(archive);
        archive.Close();
    } catch (const std::exception&) {
        // A blob its class cannot read: the object goes back to its defaults, the bytes stay.
        owner->ResetToDefaults();
        keep(RES_ERR_UNREADABLE_BLOB);
        return;
    }
    FreeData();
}

void CMyRes::ResetToDefaults()
{
    // Loading resets an object to its defaults before it reads a field, so an empty stream leaves
    // exactly the defaults behind.
    CMemFile empty(1024);
    try {
        CArchive archive(empty, CArchive::load, 4096);
        Serialize(archive);
    } catch (const std::exception&) {
    }
}
