#include "core/Clip.h"

#include "platform/archive/Archive.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/MemFile.h"
#include "platform/files/FileSystem.h"
#include "platform/types/Time.h"
#include "store/MediaHeader.h"
#include "store/ResourceTypes.h"

#include <cstring>
#include <limits>

IMPLEMENT_SERIAL(CQuibAvi, CObject, 1)

// A clip's data size counts in 32 bits.
static_assert(lumivo::files::kMaxMediaFileBytes <= std::numeric_limits<std::uint32_t>::max());

CQuibAvi::CQuibAvi()
{
    m_owner = this;
}

CQuibAvi::~CQuibAvi() = default;

std::int32_t CQuibAvi::MakeType(std::int16_t kind, std::int16_t language)
{
    return MakeAviType(kind, language);
}

std::int64_t CQuibAvi::ParamsSince()
{
    return CTime(2002, 5, 21, 10, 18, 0).GetTime();
}

std::int32_t CQuibAvi::GetType() const
{
    return m_entry ? m_entry->GetType() : RESTYPE_AVI;
}

void CQuibAvi::Exchange(bool store)
{
    if (!store) {
        ReadHeader();
        return;
    }
    // A clip whose bytes are not held is written back from the resource; when they cannot be found
    // there, the resource is left as it is rather than given a size that claims missing bytes.
    if (DataSize > 0 && (!AviData || AviData->empty()) && !LoadData())
        return;
    WriteHeader();
    WriteData();
}

bool CQuibAvi::readsParams()
{
    CTime stamp;
    if (GetResourceTime(this, &stamp) != RES_OK)
        return true;
    return stamp.GetTime() > ParamsSince();
}

bool CQuibAvi::ReadHeader()
{
    std::uint16_t options = 0;
    std::uint32_t param1 = 0, dataSize = 0, param2 = Param2, param3 = Param3;
    QString name;
    const std::uint32_t length = ReadMediaHeader(*this, 4, [&](CArchive& archive) {
        archive >> options >> param1 >> dataSize >> name;
        if (readsParams())
            archive >> param2 >> param3;
    });
    if (!length)
        return false;
    HeaderLength = length;
    Options = options;
    Param1 = param1;
    DataSize = dataSize;
    Name = name;
    Param2 = param2;
    Param3 = param3;
    return true;
}

void CQuibAvi::WriteHeader()
{
    HeaderLength = WriteMediaHeader(*this, [this](CArchive& archive) {
        archive << Options << Param1 << DataSize << Name << Param2 << Param3;
    });
}

bool CQuibAvi::LoadData()
{
    AviData.reset();
    const std::int64_t size = GetSize();
    const std::uint8_t* data = GetData();
    if (!data || HeaderLength < 4 || std::uint64_t(HeaderLength) + DataSize > std::uint64_t(size))
        return false;
    AviData.emplace(data + HeaderLength, data + HeaderLength + DataSize);
    return true;
}

void CQuibAvi::WriteData()
{
    if (!AviData || AviData->size() != DataSize)
        return;
    if (SetSize(HeaderLength + DataSize) != RES_OK)
        return;
    if (std::uint8_t* data = GetData(); data && DataSize > 0)
        std::memcpy(data + HeaderLength, AviData->data(), DataSize);
}

std::uint32_t CQuibAvi::ImportFile(const QString& path)
{
    // A file larger than a record may be is not even read.
    std::vector<std::uint8_t> bytes;
    if (lumivo::files::readWholeFile(path, bytes, lumivo::files::kMaxMediaFileBytes) !=
        lumivo::files::ReadResult::Read)
        return 0;
    AviData = std::move(bytes);
    DataSize = std::uint32_t(AviData->size());
    // Written through at once as well, so the clip is kept even when the object is gone by the save.
    WriteHeader();
    WriteData();
    Commit();
    return DataSize;
}

std::uint32_t CQuibAvi::ExportFile(const QString& path)
{
    if (!AviData && !LoadData())
        return 0;
    if (DataSize == 0 || AviData->size() != DataSize)
        return 0;
    if (!lumivo::files::writeFileAtomically(path, AviData->data(), AviData->size()))
        return 0;
    return DataSize;
}
