#include "core/IconDrag.h"

#include "core/Icon.h"
#include "platform/types/WinTypes.h"

#include <QCoreApplication>
#include <QDrag>
#include <QMimeData>
#include <QtEndian>

#include <map>

const char* const kIconMimeType = "application/x-tavimoicon";
lumivo::Hook<Qt::DropAction(QDrag&)> theIconDragHook{[](QDrag& drag) { return drag.exec(Qt::MoveAction); }};

namespace
{

constexpr int kDragDataSize = 16; // process id, then the token; 8 bytes each, little-endian

struct LiveIcons {
    std::map<std::uint64_t, CQuibIcon*> byToken;
    std::uint64_t lastToken = 0;
};

LiveIcons& liveIcons()
{
    static LiveIcons table;
    return table;
}

std::uint64_t tokenOf(CQuibIcon& icon)
{
    LiveIcons& table = liveIcons();
    auto known = table.byToken.find(icon.DragToken);
    if (icon.DragToken != 0 && known != table.byToken.end() && known->second == &icon)
        return icon.DragToken;
    icon.DragToken = ++table.lastToken;
    table.byToken[icon.DragToken] = &icon;
    return icon.DragToken;
}

} // namespace

void ResetIconDrag()
{
    liveIcons().byToken.clear();
    theIconDragHook.reset();
}

std::unique_ptr<QMimeData> MakeIconDragData(CQuibIcon& icon)
{
    QByteArray bytes(kDragDataSize, Qt::Uninitialized);
    qToLittleEndian<std::uint64_t>(std::uint64_t(QCoreApplication::applicationPid()), bytes.data());
    qToLittleEndian<std::uint64_t>(tokenOf(icon), bytes.data() + 8);
    auto data = std::make_unique<QMimeData>();
    data->setData(QString::fromLatin1(kIconMimeType), bytes);
    return data;
}

CQuibIcon* IconFromDragData(const QMimeData* data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(kIconMimeType)))
        return nullptr;
    const QByteArray bytes = data->data(QString::fromLatin1(kIconMimeType));
    if (bytes.size() != kDragDataSize)
        return nullptr;
    if (qFromLittleEndian<std::uint64_t>(bytes.constData()) !=
        std::uint64_t(QCoreApplication::applicationPid()))
        return nullptr;
    const LiveIcons& table = liveIcons();
    const auto found = table.byToken.find(qFromLittleEndian<std::uint64_t>(bytes.constData() + 8));
    return found == table.byToken.end() ? nullptr : found->second;
}

void ForgetDraggedIcon(const CQuibIcon* icon)
{
    if (!icon || icon->DragToken == 0)
        return;
    LiveIcons& table = liveIcons();
    const auto found = table.byToken.find(icon->DragToken);
    if (found != table.byToken.end() && found->second == icon)
        table.byToken.erase(found);
}

bool CQuibIcon::StartDrag(QObject* dragSource)
{
    // QDrag takes the data over; the icon itself stays where it is, the receiver moves it.
    auto* drag = new QDrag(dragSource);
    drag->setMimeData(MakeIconDragData(*this).release());
    const Qt::DropAction action = theIconDragHook(*drag);
    delete drag;
    return action != Qt::IgnoreAction;
}
