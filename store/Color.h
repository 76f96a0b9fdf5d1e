#pragma once
// Colours as the program stores them: one 32-bit packed value with the RGB in the low 24 bits
// (0x00BBGGRR) and a colour id in the high byte. A non-zero id refers to an entry of the current colour
// table (the user's named colours, the system palettes), so a stored colour follows the table.

#include "platform/archive/Archive.h"
#include "platform/types/WinTypes.h"

#include <QString>

#include <cstdint>
#include <map>
#include <memory>

class CColorTable;

// One named entry of a colour table.
class CColor : public CObject
{
    DECLARE_SERIAL(CColor)
public:
    CColor() = default;
    explicit CColor(const CColor* source) { Init(source); }
    CColor(const CColor& other) : CObject() { Init(&other); }
    CColor& operator=(const CColor& other)
    {
        Init(&other);
        return *this;
    }

    // RGB (masked to 24 bits), id, name and extra value.
    void Set(COLORREF rgb, std::uint8_t id, const QString& name, std::uint32_t extra = 0);
    // Defaults; with a source, its name, id, RGB, flag byte and extra value, remembering the source.
    void Init(const CColor* source = nullptr);
    void Copy(const CColor* source) { Init(source); }
    // Returns the previous packed value.
    std::uint32_t SetRGB(COLORREF rgb);
    QString SetName(const QString& name);

    std::uint32_t GetPacked() const { return (std::uint32_t(m_id) << 24) | m_rgb; }
    COLORREF GetRGB() const { return m_rgb; }
    std::uint8_t GetID() const { return m_id; }
    void SetID(std::uint8_t id) { m_id = id; }
    const QString& GetName() const { return m_name; }
    std::uint8_t GetFlag() const { return m_flag; }
    void SetFlag(std::uint8_t flag) { m_flag = flag; }
    std::uint32_t GetExtra() const { return m_extra; }
    void SetExtra(std::uint32_t extra) { m_extra = extra; }
    // The colour this one was copied from; not owned.
    const CColor* GetSource() const { return m_source; }

    // Stream form: version 1 (32-bit), name, id (byte), RGB (32-bit), flag (byte), extra (32-bit).
    void Serialize(CArchive& ar) override;

    // Packed colours.
    static COLORREF PackedToRGB(std::uint32_t packed) { return packed & 0xFFFFFF; }
    static std::uint8_t PackedID(std::uint32_t packed) { return static_cast<std::uint8_t>(packed >> 24); }
    static std::uint32_t MakePacked(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                    std::uint8_t id = 0)
    {
        return (std::uint32_t(id) << 24) | (std::uint32_t(blue) << 16) | (std::uint32_t(green) << 8) | red;
    }

    // Tables; a null table means the current one.
    static CColor* FindInTable(std::uint8_t id, const CColorTable* table = nullptr);
    // A packed colour with a non-zero id whose table entry has another value takes the entry's value;
    // true when it changed.
    static bool ResolvePacked(std::uint32_t& packed, const CColorTable* table = nullptr);
    // The table colour's packed value; 0 when the table has no such id.
    static std::uint32_t PackedOfID(std::uint8_t id, const CColorTable* table = nullptr);
    // Enters the colour under its id; returns the colour it replaced.
    static std::unique_ptr<CColor> AddToTable(CColorTable& table, std::unique_ptr<CColor> color);
    // Takes this colour's id out of the table; returns the colour removed.
    std::unique_ptr<CColor> RemoveFromTable(CColorTable& table) const;
    static void DeleteTable(CColorTable& table);
    // Makes the table current (null: none); returns the previous one, or null when it was current.
    static CColorTable* SetColorTable(CColorTable* table);
    static CColorTable* GetColorTable();

private:
    std::uint32_t m_extra = 0;
    QString m_name;
    std::uint8_t m_id = 0;
    COLORREF m_rgb = 0xFFFFFF;
    std::uint8_t m_flag = 0xFF;
    const CColor* m_source = nullptr;
};

// Colours by id; the table owns them.
class CColorTable
{
public:
    CColorTable() = default;
    ~CColorTable();
    CColorTable(const CColorTable&) = delete;
    CColorTable& operator=(const CColorTable&) = delete;

    CColor* Find(std::uint8_t id) const;
    std::unique_ptr<CColor> Add(std::unique_ptr<CColor> color);
    std::unique_ptr<CColor> Remove(std::uint8_t id);
    void RemoveAll() { m_colors.clear(); }
    std::size_t GetCount() const { return m_colors.size(); }
    bool IsEmpty() const { return m_colors.empty(); }

    auto begin() const { return m_colors.begin(); }
    auto end() const { return m_colors.end(); }

private:
    std::map<std::uint8_t, std::unique_ptr<CColor>> m_colors;
};
