#include "admin/UserLevelEditing.h"

#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

namespace
{

constexpr int kMsgStoreFailed = 9532;
constexpr int kFirstSystemLevel = 1000;
constexpr int kLastSystemLevel = 1999;
constexpr int kFirstUserLevel = 2001;
constexpr int kLastUserLevel = 2999;

bool inRange(int number, int first, int last)
{
    return number >= first && number <= last;
}

} // namespace

int messageIdOf(UserLevelError error)
{
    return error == UserLevelError::StoreFailed ? kMsgStoreFailed : 0;
}

CUserLevelWork::CUserLevelWork(int file, std::uint16_t language, bool onOutputFile)
    : m_file(file), m_language(language), m_onOutputFile(onOutputFile)
{
}

void CUserLevelWork::Start()
{
    m_atStart.clear();
    for (auto& [number, level] : m_map) {
        if (level->Number == 0)
            level->Number = number;
        if (level->Language == 0)
            level->Language = GetUserLevelTypeLanguage(level->GetType());
        m_atStart.emplace(number, level.get());
    }
}

bool CUserLevelWork::MayCreate(int number) const
{
    return inRange(number, kFirstUserLevel, kLastUserLevel) ||
           (m_onOutputFile && inRange(number, kFirstSystemLevel, kLastSystemLevel));
}

bool CUserLevelWork::IsListed(int number) const
{
    return MayCreate(number);
}

std::vector<std::uint16_t> CUserLevelWork::ListedNumbers() const
{
    std::vector<std::uint16_t> numbers;
    for (const auto& [number, level] : m_map) {
        if (IsListed(number))
            numbers.push_back(number);
    }
    return numbers;
}

CQuibUserLevel* CUserLevelWork::Level(std::uint16_t number) const
{
    const auto found = m_map.find(number);
    return found == m_map.end() ? nullptr : found->second.get();
}

bool CUserLevelWork::isAsStarted(const CQuibUserLevel* level) const
{
    for (const auto& [number, original] : m_atStart) {
        if (original == level)
            return true;
    }
    return false;
}

CQuibUserLevel* CUserLevelWork::editableCurrent()
{
    const auto found = m_map.find(m_current);
    if (found == m_map.end())
        return nullptr;
    if (isAsStarted(found->second.get())) {
        auto copy = std::make_unique<CQuibUserLevel>();
        copy->Assign(*found->second);
        m_setAside.push_back(std::exchange(found->second, std::move(copy)));
    }
    m_changed = true;
    return found->second.get();
}

void CUserLevelWork::Rename(const QString& name)
{
    if (CQuibUserLevel* level = editableCurrent())
        level->Name = name;
}

void CUserLevelWork::RemoveCurrent()
{
    const auto found = m_map.find(m_current);
    if (found == m_map.end())
        return;
    m_setAside.push_back(std::move(found->second));
    m_map.erase(found);
    m_current = 0;
    m_changed = true;
}

void CUserLevelWork::Add(std::unique_ptr<CQuibUserLevel> level)
{
    const auto number = static_cast<std::uint16_t>(level->Number);
    if (m_map.contains(number))
        return;
    m_map.emplace(number, std::move(level));
    m_current = number;
    m_changed = true;
}

void CUserLevelWork::Edit(std::uint16_t number)
{
    m_current = number;
    editableCurrent();
}

UserLevelResult CUserLevelWork::Store()
{
    UserLevelResult result;
    const auto note = [&result](int code) {
        if (code != RES_OK && result.error == UserLevelError::None)
            result = {UserLevelError::StoreFailed, QString::number(code)};
    };
    // Removals first, so that a renamed level's new record takes the place of its old one. A level
    // that came from another file (a data file) keeps its record there.
    for (const auto& level : m_setAside) {
        if (m_file > 0 && level->GetFile() == m_file)
            note(level->Remove());
    }
    for (const auto& [number, level] : m_map) {
        if (isAsStarted(level.get()))
            continue;
        level->Number = number;
        int code =
            level->SaveAs(number, m_file, MakeUserLevelType(0, static_cast<std::int16_t>(level->Language)));
        if (code == RES_OK)
            code = level->Write();
        note(code);
    }
    return result;
}
