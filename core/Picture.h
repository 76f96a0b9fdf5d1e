#pragma once
// A stored picture: a "gp" resource whose bytes are a short header and the image, raw or encoded.
// The object decodes the image into 24-bit RGB on demand and hands out a drawing copy of it.

#include "platform/archive/RuntimeClass.h"
#include "store/PictureFormat.h"
#include "store/ResourceHandle.h"

#include <QImage>
#include <QString>

#include <optional>

class CQuibPict : public CMyRes, public CObject
{
    DECLARE_SERIAL(CQuibPict)

public:
    CQuibPict();
    ~CQuibPict() override;
    CQuibPict(const CQuibPict&) = delete;
    CQuibPict& operator=(const CQuibPict&) = delete;

    std::int32_t GetType() const override;

    // Reads the header from the resource; false (fields unchanged) when it holds no picture header.
    bool ReadHeader();
    // Writes the six fields (24 bytes) and cuts the resource to the header.
    void WriteHeader();
    // Sets the size and store format, then stores the image. False when it could not be encoded; the
    // resource then keeps what it held.
    bool SetImage(const RgbImage& rgb, std::uint32_t width, std::uint32_t height, std::int16_t storeFormat);
    bool StoreImage(const RgbImage& rgb);
    // Decodes the stored bytes into the held image (none when they cannot be decoded).
    bool Decode();
    // A drawing copy of the image, decoding first when none is held; null when there is no image.
    QImage GetHBitmap();
    // Hands the held image over; the object holds none afterwards.
    std::optional<RgbImage> DetachImage();
    void FreeImage();
    const RgbImage* GetImage() const { return Image ? &*Image : nullptr; }

    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::int16_t StoreFormat = pictRawRgb;
    std::uint16_t Compression = 1;
    std::optional<RgbImage> Image;
    std::uint32_t TransparentColor = pictNoColor;
    std::uint32_t BackkgroundColor = pictNoColor;
    std::uint32_t HeaderLength = 0;

private:
    PictHeader headerFields() const;
};

// The kind byte and the language byte of a picture type (MakePictType).
int GetPictTypeKind(std::int32_t type);
int GetPictTypeLanguage(std::int32_t type);

// Stores the image in a picture of its own in memory and decodes it again, so an editor can show what
// a store format makes of a picture. `sizeOut` receives the stored size less the header less 2.
std::optional<RgbImage> DecodeImageBytes(const RgbImage& rgb, std::int64_t* sizeOut, std::uint32_t width,
                                         std::uint32_t height, std::int16_t storeFormat);

// Reads an outside picture file (BMP, JPEG, PNG, PCX, TIFF or PSD), turned upright as the file says;
// none for anything else. An importer that scales the picture down to fit `fitWidth` x `fitHeight`
// passes that size, so that a large photo is decoded no larger than needed. `error` receives the
// reason for none, for the user.
std::optional<RgbImage> ReadImageFile(const QString& path, std::uint32_t* widthOut = nullptr,
                                      std::uint32_t* heightOut = nullptr, std::uint32_t fitWidth = 0,
                                      std::uint32_t fitHeight = 0, QString* error = nullptr);
