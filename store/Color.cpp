#include "store/Color.h"

IMPLEMENT_SERIAL(CColor, CObject, 1)

namespace
{
constexpr std::int32_t kStreamVersion = 1;
// The table colours refer to, or null; not owned.
CColorTable* theColorTable = nullptr;

const CColorTable* tableOrCurrent(const CColorTable* table)
{
    return table ? table : theColorTable;
}
} // namespace

void CColor::Set(COLORREF rgb, std::uint8_t id, const QString& name, std::uint32_t extra)
{
    m_rgb = rgb & 0xFFFFFF;
    m_id = id;
    m_name = name;
    m_extra = extra;
}

void CColor::Init(const CColor* source)
{
    m_extra = 0;
    m_name.clear();
    m_id = 0;
    m_rgb = 0xFFFFFF;
    m_flag = 0xFF;
    m_source = nullptr;
    if (!source || source == this)
        return;
    m_name = source->m_name;
    m_id = source->m_id;
    m_rgb = source->m_rgb;
    m_flag = source->m_flag;
    m_extra = source->m_extra;
    m_source = source;
}

std::uint32_t CColor::SetRGB(COLORREF rgb)
{
    const std::uint32_t previous = GetPacked();
    m_rgb = rgb & 0xFFFFFF;
    return previous;
}

QString CColor::SetName(const QString& name)
{
    return std::exchange(m_name, name);
}

void CColor::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kStreamVersion << m_name << m_id << std::uint32_t(m_rgb) << m_flag << m_extra;
        return;
    }
    Init();
    std::int32_t version = 0;
    ar >> version;
    if (version != kStreamVersion)
        return;
    std::uint32_t rgb = 0;
    ar >> m_name >> m_id >> rgb >> m_flag >> m_extra;
    m_rgb = rgb & 0xFFFFFF;
}

CColor* CColor::FindInTable(std::uint8_t id, const CColorTable* table)
{
    const CColorTable* chosen = tableOrCurrent(table);
    return chosen ? chosen->Find(id) : nullptr;
}

bool CColor::ResolvePacked(std::uint32_t& packed, const CColorTable* table)
{
    const std::uint8_t id = PackedID(packed);
    if (id == 0)
        return false;
    const CColor* entry = FindInTable(id, table);
    if (!entry || entry->GetPacked() == packed)
        return false;
    packed = entry->GetPacked();
    return true;
}

std::uint32_t CColor::PackedOfID(std::uint8_t id, const CColorTable* table)
{
    const CColor* entry = FindInTable(id, table);
    return entry ? entry->GetPacked() : 0;
}

std::unique_ptr<CColor> CColor::AddToTable(CColorTable& table, std::unique_ptr<CColor> color)
{
    return table.Add(std::move(color));
}

std::unique_ptr<CColor> CColor::RemoveFromTable(CColorTable& table) const
{
    return table.Remove(m_id);
}

void CColor::DeleteTable(CColorTable& table)
{
    table.RemoveAll();
}

CColorTable* CColor::SetColorTable(CColorTable* table)
{
    if (table == theColorTable)
        return nullptr;
    return std::exchange(theColorTable, table);
}

CColorTable* CColor::GetColorTable()
{
    return theColorTable;
}

CColorTable::~CColorTable()
{
    // A table that goes away stops being the current one, so no one reads a table that is gone.
    if (theColorTable == this)
        theColorTable = nullptr;
}

CColor* CColorTable::Find(std::uint8_t id) const
{
    const auto found = m_colors.find(id);
    return found == m_colors.end() ? nullptr : found->second.get();
}

std::unique_ptr<CColor> CColorTable::Add(std::unique_ptr<CColor> color)
{
    if (!color)
        return nullptr;
    auto& slot = m_colors[color->GetID()];
    return std::exchange(slot, std::move(color));
}

std::unique_ptr<CColor> CColorTable::Remove(std::uint8_t id)
{
    const auto found = m_colors.find(id);
    if (found == m_colors.end())
        return nullptr;
    std::unique_ptr<CColor> removed = std::move(found->second);
    m_colors.erase(found);
    return removed;
}
