#pragma once
// The program's time of day: whole seconds since 1970-01-01 00:00 UTC, read and built in local
// time. Stored records compare their stamps against local-time thresholds built with CTime.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <ctime>

// A span between two CTime values, in seconds.
class CTimeSpan
{
public:
    constexpr CTimeSpan() = default;
    constexpr explicit CTimeSpan(std::int64_t seconds) : m_seconds(seconds) {}
    constexpr CTimeSpan(std::int64_t days, int hours, int minutes, int seconds)
        : m_seconds(((days * 24 + hours) * 60 + minutes) * 60 + seconds)
    {
    }

    constexpr std::int64_t GetTotalSeconds() const { return m_seconds; }
    constexpr std::int64_t GetTotalMinutes() const { return m_seconds / 60; }
    constexpr std::int64_t GetTotalHours() const { return m_seconds / 3600; }
    constexpr std::int64_t GetDays() const { return m_seconds / 86400; }
    constexpr int GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }
    constexpr int GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }
    constexpr int GetSeconds() const { return static_cast<int>(m_seconds - GetTotalMinutes() * 60); }

    constexpr CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(m_seconds + other.m_seconds); }
    constexpr CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(m_seconds - other.m_seconds); }
    constexpr auto operator<=>(const CTimeSpan&) const = default;

private:
    std::int64_t m_seconds = 0;
};

class CTime
{
public:
    constexpr CTime() = default;
    constexpr CTime(std::int64_t seconds) : m_time(seconds) {}
    // A local date and time. `daylightSaving` is 1 or 0 to say whether summer time is in force, or
    // -1 to let the time zone rules decide. A date the C library cannot represent gives -1.
    CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving = -1);

    static CTime GetCurrentTime();

    constexpr std::int64_t GetTime() const { return m_time; }

    // Broken down in local time; false when the value cannot be broken down.
    bool GetLocalTm(std::tm& out) const;
    bool GetGmtTm(std::tm& out) const;

    int GetYear() const;
    int GetMonth() const; // 1 to 12
    int GetDay() const;   // 1 to 31
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const; // 1 = Sunday to 7 = Saturday

    // strftime codes, in local time and in UTC.
    QString Format(const QString& format) const;
    QString FormatGmt(const QString& format) const;

    constexpr CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTotalSeconds()); }
    constexpr CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTotalSeconds()); }
    constexpr CTimeSpan operator-(CTime other) const { return CTimeSpan(m_time - other.m_time); }
    CTime& operator+=(CTimeSpan span)
    {
        m_time += span.GetTotalSeconds();
        return *this;
    }
    CTime& operator-=(CTimeSpan span)
    {
        m_time -= span.GetTotalSeconds();
        return *this;
    }
    constexpr auto operator<=>(const CTime&) const = default;

    QDateTime toQDateTime() const { return QDateTime::fromSecsSinceEpoch(m_time); }
    static CTime fromQDateTime(const QDateTime& when) { return CTime(when.toSecsSinceEpoch()); }

private:
    std::int64_t m_time = 0;
};
