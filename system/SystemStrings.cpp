#include "system/SystemStrings.h"

#include "platform/files/FileSystem.h"
#include "platform/types/WinTypes.h"
#include "platform/ui/Ui.h"
#include "resources/strings/StringTable.h"
#include "store/TaggedText.h"
#include "system/LanguageRecords.h"
#include "system/StatusText.h"
#include "system/SystemSettings.h"

#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <array>
#include <cstdio>
#include <optional>
#include <utility>

std::uint32_t theStatusTime = 0;

namespace
{

const QString kUnknownText = QStringLiteral("???");
const QString kOldAppName = QStringLiteral("Morvelt");
const QString kAppName = QStringLiteral("Lumivo");
const QString kTagOpen = QStringLiteral("{\u00A4");
constexpr std::uint32_t kInstallLanguageDanish = 10002;
constexpr std::uint32_t kCursorSwapMs = 400;

struct StringsState {
    bool traceLog = false;
    QString traceDay; // ddMMyy of the day the trace was switched on
    QString lastStatusText;
    int cursorId = CURSOR_ARROW;
    int cursorShown = 0; // what the port reported right after our last change
    std::uint32_t cursorSwapTick = 0;
};

StringsState& state()
{
    static StringsState s;
    return s;
}

// The application name: the install settings decide between the program's older and newer name, and a
// name written at installation wins over both.
QString ApplicationName()
{
    std::uint32_t installLanguage = 0;
    GetSystemSettingDWord(QStringLiteral("Install_language"), &installLanguage);
    if (installLanguage == 0)
        return kOldAppName;
    QString name;
    GetSystemSettingString(QStringLiteral("Install_appname"), name);
    if (!name.isEmpty())
        return name;
    return installLanguage == kInstallLanguageDanish ? kOldAppName : kAppName;
}

// Up to four languages, in the order the records are searched; 0 marks an empty slot.
std::array<std::uint16_t, 4> SearchOrder()
{
    std::array<std::uint16_t, 4> order{theLanguageNo, 0, 0, 0};
    if (theLanguageNo == 2)
        return order;
    if (theCurrentLanguage != order[0])
        order[1] = theCurrentLanguage;
    if (theSecondLanguage != order[0] && theSecondLanguage != theCurrentLanguage)
        order[2] = theSecondLanguage;
    if (theCurrentLanguageRec) {
        const std::uint16_t recordLanguage = theCurrentLanguageRec->m_language;
        if (recordLanguage != order[0] && recordLanguage != theCurrentLanguage &&
            recordLanguage != theSecondLanguage)
            order[3] = recordLanguage;
    }
    return order;
}

QString FindInRecords(int id)
{
    const auto key = static_cast<std::uint16_t>(id & 0xFFFF);
    for (std::uint16_t language : SearchOrder()) {
        if (language == 0)
            continue;
        for (const CQuibSystem* record : BaseLanguageChain(FindSystemRecord(language))) {
            if (const QString* text = record->FindString(key); text && !text->isEmpty())
                return *text;
        }
    }
    return {};
}

// The built-in table follows the system language: Danish for language 2, English otherwise.
QString FindInStringTable(int id)
{
    using lumivo::strings::TableLanguage;
    return lumivo::strings::builtInString(id, theLanguageNo == 2 ? TableLanguage::Danish
                                                                 : TableLanguage::English);
}

QString PlaceHolderText(const QString& name)
{
    if (name == QLatin1String("APPNAME"))
        return LoadSystemString(SYSSTR_APPNAME);
    if (name == QLatin1String("CR"))
        return QStringLiteral("\r\n");
    return {};
}

// Replaces every "<@NAME>" by its text. The scan goes on behind the inserted text, so a replacement
// that holds a place-holder itself (an application name written as "<@APPNAME>") cannot make the
// expansion run for ever. A "<@" without a ">" behind it is kept, and ends the scan.
void ExpandPlaceHolders(QString& text)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QLatin1String("<@"), from);
        if (open < 0)
            return;
        const qsizetype close = text.indexOf(QLatin1Char('>'), open + 2);
        if (close < 0)
            return;
        const QString replacement = PlaceHolderText(text.mid(open + 2, close - open - 2).trimmed());
        text.replace(open, close - open + 1, replacement);
        from = open + replacement.size();
    }
}

QString TaggedEntryPart(const QString& text, bool wantKey)
{
    QString copy = text;
    CTaggedText tagged;
    tagged.Attach(&copy);
    QString key;
    QString value;
    if (!tagged.GetEntry(0, key, value))
        return {};
    return wantKey ? key : value;
}

void ApplyFlags(QString& text, int flags)
{
    if ((flags & SYSSTR_CASE_MASK) == SYSSTR_UPPER)
        text = text.toUpper();
    else if ((flags & SYSSTR_CASE_MASK) == SYSSTR_LOWER)
        text = text.toLower();
    if ((flags & SYSSTR_FIRST_UPPER) && !text.isEmpty())
        text[0] = text[0].toUpper();
    if ((flags & SYSSTR_BLANK_BEFORE) && !text.startsWith(QLatin1Char(' ')))
        text.prepend(QLatin1Char(' '));
    if ((flags & SYSSTR_BLANK_AFTER) && !text.endsWith(QLatin1Char(' ')))
        text.append(QLatin1Char(' '));
    if (flags & SYSSTR_COLON)
        text.append(QLatin1Char(':'));
    if (flags & SYSSTR_CUT_TAGS) {
        if (const qsizetype tag = text.indexOf(kTagOpen); tag >= 0)
            text.truncate(tag);
    }
    if (flags & SYSSTR_TAG_KEY)
        text = TaggedEntryPart(text, true);
    if (flags & SYSSTR_TAG_VALUE)
        text = TaggedEntryPart(text, false);
}

// The program's own cursors are pictures (resources/bitmaps, drawn by make-cursors.sh) with their hot
// spots; the others are the system's shapes.
struct DrawnCursor {
    int id;
    QPoint hotSpot;
    Qt::CursorShape fallback; // when the picture is missing
};
constexpr std::array kDrawnCursors{
    DrawnCursor{CURSOR_ARROW, {1, 1}, Qt::ArrowCursor},
    DrawnCursor{CURSOR_HAND, {13, 1}, Qt::PointingHandCursor},
    DrawnCursor{CURSOR_WIZARD, {1, 1}, Qt::ArrowCursor},
    DrawnCursor{CURSOR_SELECT, {1, 1}, Qt::ArrowCursor},
};

std::optional<Qt::CursorShape> systemCursorShape(int id)
{
    switch (id) {
    case CURSOR_BUSY_1:
    case CURSOR_BUSY_2:
        return Qt::WaitCursor;
    case CURSOR_CROSS:
        return Qt::CrossCursor;
    case CURSOR_SIZE_NWSE:
        return Qt::SizeFDiagCursor;
    case CURSOR_SIZE_NESW:
        return Qt::SizeBDiagCursor;
    case CURSOR_SIZE_WE:
        return Qt::SizeHorCursor;
    case CURSOR_SIZE_NS:
        return Qt::SizeVerCursor;
    case CURSOR_SIZE_ALL:
        return Qt::SizeAllCursor;
    default:
        return std::nullopt;
    }
}

QCursor cursorOfId(int id)
{
    return LoadCursorResource(id).value_or(QCursor(Qt::ArrowCursor));
}

void showOverrideCursor(int id)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    const QCursor cursor = cursorOfId(id);
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
}

int reportedOverrideCursor()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return state().cursorShown;
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? static_cast<int>(cursor->shape()) + 1 : 0;
}

// The busy pair alternates when asked to keep the cursor after 400 ms.
int NextAnimatedCursor()
{
    auto& s = state();
    const bool busy = s.cursorId == CURSOR_BUSY_1 || s.cursorId == CURSOR_BUSY_2;
    if (!busy || GetTickCount() - s.cursorSwapTick <= kCursorSwapMs)
        return s.cursorId;
    s.cursorSwapTick = GetTickCount();
    return s.cursorId == CURSOR_BUSY_1 ? CURSOR_BUSY_2 : CURSOR_BUSY_1;
}

} // namespace

lumivo::Hook<void(int id)> theCursorShowHook{showOverrideCursor};
lumivo::Hook<int()> theCursorReportedHook{reportedOverrideCursor};

bool GetSystemString(int id, QString& text, int flags)
{
    if (id == SYSSTR_APPNAME) {
        text = ApplicationName();
        return true;
    }
    text = FindInRecords(id);
    if (text.isEmpty())
        text = FindInStringTable(id);
    ExpandPlaceHolders(text);
    if (text.isEmpty()) {
        text = kUnknownText;
        return false;
    }
    ApplyFlags(text, flags);
    return true;
}

QString GetSystemString(int id)
{
    return LoadSystemString(id, 0);
}

QString LoadSystemString(int id, int flags)
{
    QString text;
    GetSystemString(id, text, flags);
    return text;
}

bool GetCommandPrompt(int id, QString& text)
{
    if (id < SYSSTR_FIRST_PROMPT || id > SYSSTR_LAST_PROMPT)
        return false;
    return GetSystemString(id, text, 0);
}

int MessageBoxById(int id, unsigned flags, const QString* param)
{
    QString text = LoadSystemString(id);
    if (param)
        text.replace(QLatin1String("[#1]"), *param);
    return ShowMessage(text, flags);
}

int MessageBoxById(int id, unsigned flags, const QString& param)
{
    return MessageBoxById(id, flags, param.isNull() ? nullptr : &param);
}

int MessageBoxById(int id, unsigned flags, const QString& first, const QString& second)
{
    QString text = LoadSystemString(id);
    text.replace(QLatin1String("[#1]"), first);
    text.replace(QLatin1String("[#2]"), second);
    return ShowMessage(text, flags);
}

int ShowMessage(const QString& text, unsigned flags)
{
    return ShowMessageText(text, flags);
}

int ShowMessageText(const QString& text, unsigned flags)
{
    return lumivo::ui::messageBox(text, LoadSystemString(SYSSTR_APPNAME), flags);
}

int ShowMessageNumber(const QString& text, int number, unsigned flags)
{
    return ShowMessage(text + QString::number(number), flags);
}

void ShowSevereError(const QString& place)
{
    ShowMessage(QStringLiteral("%1 (%2)").arg(LoadSystemString(SYSSTR_SEVERE_ERROR), place),
                lumivo::ui::MB_ICONHAND);
}

void SetStatusText(const QString& text)
{
    auto& s = state();
    s.lastStatusText = text;
    theStatusText.Announce(text);
    theStatusTime = GetTickCount();
}

QString LastStatusText()
{
    return state().lastStatusText;
}

namespace
{
QString today()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("ddMMyy"));
}
} // namespace

void SetTraceLogEnabled(bool enabled)
{
    state().traceLog = enabled;
    state().traceDay = enabled ? today() : QString();
}

bool IsTraceLogEnabled()
{
    return state().traceLog;
}

QString TraceLogPath()
{
    // One run's trace stays in one file, also when the run goes on past midnight.
    const QString day = state().traceDay.isEmpty() ? today() : state().traceDay;
    return QDir::tempPath() + QStringLiteral("/TavimoLog_%1.txt").arg(day);
}

void WriteDebugLog(QString line)
{
    if (!state().traceLog)
        return;
    line += QStringLiteral("\r\n");
    AppendTextToFile(TraceLogPath(), line);
}

void WriteDebugLogAndStderr(const QString& line)
{
    std::fprintf(stderr, "lumivo: %s\n", qPrintable(line));
    WriteDebugLog(line);
}

void AppendTextToFile(const QString& path, const QString& text)
{
    auto& fs = lumivo::files::fileSystem();
    const auto info = fs.info(path);
    if (!info.exists && !fs.info(lumivo::files::folderOf(path)).isDirectory)
        return;
    auto file = fs.open(path, info.exists ? lumivo::files::OpenMode::ReadWrite
                                          : lumivo::files::OpenMode::CreateReadWrite);
    if (!file)
        return;
    const QByteArray bytes = text.toUtf8();
    const std::int64_t end = file->length();
    if (end < 0 || !file->seek(static_cast<std::uint64_t>(end)))
        return;
    if (file->write(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        file->flush();
}

std::optional<QCursor> LoadCursorResource(int id)
{
    for (const DrawnCursor& drawn : kDrawnCursors) {
        if (drawn.id != id)
            continue;
        const QPixmap picture(QStringLiteral(":/cursor/%1.png").arg(id));
        if (picture.isNull())
            return QCursor(drawn.fallback);
        return QCursor(picture, drawn.hotSpot.x(), drawn.hotSpot.y());
    }
    if (const std::optional<Qt::CursorShape> shape = systemCursorShape(id))
        return QCursor(*shape);
    return std::nullopt;
}

int SetAppCursor(int id)
{
    auto& s = state();
    const int previous = s.cursorId;
    if (id == CURSOR_BUSY_1 || id == CURSOR_BUSY_2) {
        if (s.cursorId == CURSOR_BUSY_1 || s.cursorId == CURSOR_BUSY_2)
            id = 0;
        else
            s.cursorSwapTick = GetTickCount();
    }
    if (id == 0)
        id = NextAnimatedCursor();
    if (id < 1)
        return previous;
    if (id == s.cursorId && theCursorReportedHook() == s.cursorShown)
        return previous;
    theCursorShowHook(id);
    s.cursorId = id;
    s.cursorShown = theCursorReportedHook();
    return previous;
}

int GetAppCursor()
{
    return state().cursorId;
}

void ResetSystemStrings()
{
    state() = StringsState{};
    theStatusTime = 0;
    ResetStatusText();
    theCursorShowHook.reset();
    theCursorReportedHook.reset();
}
