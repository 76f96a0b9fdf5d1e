// Drag data names a live icon of this process, and nothing else.

#include "core/IconDrag.h"
#include "core/Icon.h"
#include "tests/support/LumivoTest.h"

#include <QDrag>
#include <QMimeData>
#include <QtEndian>

class IconDragTest : public lumivo::test::LumivoTest
{
};

TEST_F(IconDragTest, DataResolvesOnlyToALiveIconOfThisProcess)
{
    auto icon = std::make_unique<CQuibIcon>();
    const std::unique_ptr<QMimeData> data = MakeIconDragData(*icon);
    EXPECT_EQ(IconFromDragData(data.get()), icon.get());
    EXPECT_EQ(MakeIconDragData(*icon)->data(kIconMimeType), data->data(kIconMimeType))
        << "one token per icon";

    QByteArray foreign = data->data(kIconMimeType);
    qToLittleEndian<std::uint64_t>(qFromLittleEndian<std::uint64_t>(foreign.constData()) + 1, foreign.data());
    QMimeData other;
    other.setData(kIconMimeType, foreign);
    EXPECT_EQ(IconFromDragData(&other), nullptr) << "another process's data";
    other.setData(kIconMimeType, data->data(kIconMimeType).left(12));
    EXPECT_EQ(IconFromDragData(&other), nullptr) << "short data";

    icon.reset();
    EXPECT_EQ(IconFromDragData(data.get()), nullptr) << "a deleted icon";
}

TEST_F(IconDragTest, DragEndsInADropOrLeavesTheIconAlone)
{
    CQuibIcon icon;
    icon.ScreenRect = CRect(1, 2, 3, 4);
    CQuibIcon* offered = nullptr;
    Qt::DropAction result = Qt::IgnoreAction;
    const auto executor = theIconDragHook.scoped([&](QDrag& drag) {
        offered = IconFromDragData(drag.mimeData());
        return result;
    });
    EXPECT_FALSE(icon.StartDrag(nullptr));
    EXPECT_EQ(offered, &icon);
    EXPECT_EQ(icon.ScreenRect, CRect(1, 2, 3, 4));
    result = Qt::MoveAction;
    EXPECT_TRUE(icon.StartDrag(nullptr));
}
