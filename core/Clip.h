#pragma once
// A stored video clip: a "ga" resource whose bytes are a short archived header and then the bytes of
// an AVI file, unchanged. The clip comes in from a file and goes out to a (temporary) file to be played.

#include "platform/archive/RuntimeClass.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <optional>
#include <vector>

class CQuibAvi : public CMyRes, public CObject
{
    DECLARE_SERIAL(CQuibAvi)

public:
    CQuibAvi();
    ~CQuibAvi() override;
    CQuibAvi(const CQuibAvi&) = delete;
    CQuibAvi& operator=(const CQuibAvi&) = delete;

    static std::int32_t MakeType(std::int16_t kind, std::int16_t language);
    // Records stamped after this time (local) carry Param2 and Param3.
    static std::int64_t ParamsSince();

    // Storing writes the header and the clip bytes, loading them from the resource first when they are
    // not held; loading reads the header only.
    void Exchange(bool store) override;
    std::int32_t GetType() const override;

    // False (fields unchanged) when the resource holds no readable header.
    bool ReadHeader();
    void WriteHeader();
    // Holds a copy of the DataSize clip bytes behind the header; false (nothing held) when the
    // resource does not have them.
    bool LoadData();
    void WriteData();
    // Returns the bytes read (and commits the clip), 0 on failure or for a file larger than
    // lumivo::files::kMaxMediaFileBytes, which is refused unread.
    std::uint32_t ImportFile(const QString& path);
    // Returns the data size written, 0 on failure or for an empty clip (then no file is written).
    std::uint32_t ExportFile(const QString& path);

    std::uint32_t DataSize = 0;
    std::uint32_t HeaderLength = 0;
    std::uint16_t Options = 0;
    std::uint32_t Param1 = 0;
    std::uint32_t Param2 = 0;
    std::uint32_t Param3 = 0;
    QString Name;
    std::optional<std::vector<std::uint8_t>> AviData;

private:
    bool readsParams();
};
