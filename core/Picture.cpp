#include "core/Picture.h"

#include "platform/archive/Archive.h"
#include "store/ResourceTypes.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_SERIAL(CQuibPict, CObject, 1)

CQuibPict::CQuibPict()
{
    m_owner = this;
}

CQuibPict::~CQuibPict() = default;

std::int32_t CQuibPict::GetType() const
{
    return m_entry ? m_entry->GetType() : RESTYPE_PICT;
}

PictHeader CQuibPict::headerFields() const
{
    PictHeader header;
    header.Width = Width;
    header.Height = Height;
    header.StoreFormat = StoreFormat;
    header.Compression = Compression;
    header.TransparentColor = TransparentColor;
    header.BackkgroundColor = BackkgroundColor;
    return header;
}

bool CQuibPict::ReadHeader()
{
    const std::int64_t size = GetSize();
    const std::uint8_t* data = size >= 4 ? GetData() : nullptr;
    if (!data)
        return false;
    PictHeader header = headerFields();
    const auto length = ReadPictHeaderBytes(data, std::size_t(size), header);
    if (!length)
        return false;
    HeaderLength = *length;
    Width = header.Width;
    Height = header.Height;
    StoreFormat = header.StoreFormat;
    Compression = header.Compression;
    TransparentColor = header.TransparentColor;
    BackkgroundColor = header.BackkgroundColor;
    return true;
}

void CQuibPict::WriteHeader()
{
    const std::vector<std::uint8_t> header = WritePictHeaderBytes(headerFields());
    HeaderLength = std::uint32_t(header.size());
    if (SetSize(HeaderLength) != RES_OK)
        return;
    if (std::uint8_t* data = GetData())
        std::memcpy(data, header.data(), header.size());
}

bool CQuibPict::SetImage(const RgbImage& rgb, std::uint32_t width, std::uint32_t height,
                         std::int16_t storeFormat)
{
    if (rgb.width < 0 || rgb.height < 0 || std::uint32_t(rgb.width) != width ||
        std::uint32_t(rgb.height) != height)
        return false;
    Width = width;
    Height = height;
    StoreFormat = storeFormat;
    return StoreImage(rgb);
}

bool CQuibPict::StoreImage(const RgbImage& rgb)
{
    if (StoreFormat == 0)
        StoreFormat = pictRawRgb;
    // Encoded into memory that grows as needed: a small JPEG is larger than its raw pixels.
    std::vector<std::uint8_t> bytes;
    if (StoreFormat != pictPax && !EncodeStoredImage(rgb, StoreFormat, bytes))
        return false;
    WriteHeader();
    if (SetSize(HeaderLength + std::uint32_t(bytes.size())) != RES_OK)
        return false;
    if (!bytes.empty())
        std::memcpy(GetData() + HeaderLength, bytes.data(), bytes.size());
    if (Image)
        Decode();
    return true;
}

bool CQuibPict::Decode()
{
    std::optional<RgbImage> decoded;
    if (ReadHeader()) {
        const std::int64_t size = GetSize();
        const std::uint8_t* data = GetData();
        if (data && size >= HeaderLength)
            decoded = DecodeStoredImage(data + HeaderLength, std::size_t(size - HeaderLength), StoreFormat,
                                        Width, Height);
    }
    if (decoded) {
        Width = std::uint32_t(decoded->width);
        Height = std::uint32_t(decoded->height);
    }
    Image = std::move(decoded);
    return Image.has_value();
}

QImage CQuibPict::GetHBitmap()
{
    if (!Image)
        Decode();
    return Image ? lumivo::image::toQImage(*Image) : QImage();
}

std::optional<RgbImage> CQuibPict::DetachImage()
{
    std::optional<RgbImage> image = std::move(Image);
    Image.reset();
    return image;
}

void CQuibPict::FreeImage()
{
    Image.reset();
}

int GetPictTypeKind(std::int32_t type)
{
    return GetResTypeKind(type);
}

int GetPictTypeLanguage(std::int32_t type)
{
    return GetResTypeLanguage(type);
}

std::optional<RgbImage> DecodeImageBytes(const RgbImage& rgb, std::int64_t* sizeOut, std::uint32_t width,
                                         std::uint32_t height, std::int16_t storeFormat)
{
    CQuibPict picture;
    if (picture.Create() != RES_OK)
        return std::nullopt;
    std::optional<RgbImage> decoded;
    if (picture.SetImage(rgb, width, height, storeFormat)) {
        if (sizeOut)
            *sizeOut = picture.GetSize() - picture.HeaderLength - 2;
        picture.Decode();
        decoded = picture.DetachImage();
    }
    picture.Remove();
    return decoded;
}

std::optional<RgbImage> ReadImageFile(const QString& path, std::uint32_t* widthOut, std::uint32_t* heightOut,
                                      std::uint32_t fitWidth, std::uint32_t fitHeight, QString* error)
{
    const lumivo::image::DecodeHints hints{int(std::min<std::uint32_t>(fitWidth, 0x7FFFFFFF)),
                                           int(std::min<std::uint32_t>(fitHeight, 0x7FFFFFFF))};
    auto image = lumivo::image::readFile(path, hints, error);
    if (!image)
        return std::nullopt;
    if (widthOut)
        *widthOut = std::uint32_t(image->width);
    if (heightOut)
        *heightOut = std::uint32_t(image->height);
    return image;
}
