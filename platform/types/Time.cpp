#include "platform/types/Time.h"

#include <QByteArray>

#include <vector>

namespace
{

std::tm brokenDownLocal(std::int64_t seconds)
{
    std::tm parts{};
    const std::time_t value = static_cast<std::time_t>(seconds);
    if (!localtime_r(&value, &parts))
        parts = std::tm{};
    return parts;
}

QString formatParts(const std::tm& parts, const QString& format)
{
    if (format.isEmpty())
        return {};
    // A trailing character keeps a legitimately empty expansion apart from a buffer too small.
    const QByteArray pattern = format.toLocal8Bit() + ' ';
    std::vector<char> buffer(256);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::size_t written = std::strftime(buffer.data(), buffer.size(), pattern.constData(), &parts);
        if (written > 0)
            return QString::fromLocal8Bit(buffer.data(), static_cast<qsizetype>(written - 1));
        buffer.resize(buffer.size() * 4);
    }
    return {};
}

} // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = daylightSaving;
    m_time = static_cast<std::int64_t>(std::mktime(&parts));
}

CTime CTime::GetCurrentTime()
{
    return CTime(static_cast<std::int64_t>(std::time(nullptr)));
}

bool CTime::GetLocalTm(std::tm& out) const
{
    const std::time_t value = static_cast<std::time_t>(m_time);
    return localtime_r(&value, &out) != nullptr;
}

bool CTime::GetGmtTm(std::tm& out) const
{
    const std::time_t value = static_cast<std::time_t>(m_time);
    return gmtime_r(&value, &out) != nullptr;
}

int CTime::GetYear() const
{
    return brokenDownLocal(m_time).tm_year + 1900;
}
int CTime::GetMonth() const
{
    return brokenDownLocal(m_time).tm_mon + 1;
}
int CTime::GetDay() const
{
    return brokenDownLocal(m_time).tm_mday;
}
int CTime::GetHour() const
{
    return brokenDownLocal(m_time).tm_hour;
}
int CTime::GetMinute() const
{
    return brokenDownLocal(m_time).tm_min;
}
int CTime::GetSecond() const
{
    return brokenDownLocal(m_time).tm_sec;
}
int CTime::GetDayOfWeek() const
{
    return brokenDownLocal(m_time).tm_wday + 1;
}

QString CTime::Format(const QString& format) const
{
    return formatParts(brokenDownLocal(m_time), format);
}

QString CTime::FormatGmt(const QString& format) const
{
    std::tm parts{};
    if (!GetGmtTm(parts))
        return {};
    return formatParts(parts, format);
}
