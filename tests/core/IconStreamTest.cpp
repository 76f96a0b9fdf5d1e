// The icon's stream, its copies, its per-mille rectangle and the text it shows.

#include "core/Icon.h"
#include "core/IconShapes.h"
#include "core/Word.h"
#include "platform/archive/Archive.h"
#include "platform/archive/MemFile.h"
#include "tests/support/LumivoTest.h"

#include <functional>

namespace
{

QByteArray archivedBytes(const std::function<void(CArchive&)>& write)
{
    CMemFile file;
    CArchive out(file, CArchive::store);
    write(out);
    out.Close();
    return file.toByteArray();
}

void readArchived(const QByteArray& bytes, const std::function<void(CArchive&)>& read)
{
    CMemFile file;
    file.Attach(bytes);
    CArchive in(file, CArchive::load);
    read(in);
}

// Options "", rect (100,100,500,400), shape 1, white, black, word 7, no link or sound, version 1,
// no name, label "hi", picture 9, then the flags.
QByteArray sampleIconBytes(const char* version, const char* tail)
{
    return QByteArray::fromHex(QByteArray("00"
                                          "6400000064000000f401000090010000"
                                          "01000000ffffff0000000000"
                                          "070000000000000000000000") +
                               version + "00026869" + tail);
}

} // namespace

class IconStreamTest : public lumivo::test::LumivoTest
{
};

TEST_F(IconStreamTest, StoresTheFieldsInTheirOrderAndReadsBackOnlyWhatIsStored)
{
    CQuibIcon icon;
    icon.StoredRect = CRect(100, 100, 500, 400);
    icon.WordId = 7;
    icon.WordName = "hi";
    icon.PictId = 9;
    icon.Flags |= kIconModified;
    const QByteArray bytes = archivedBytes([&](CArchive& ar) { icon.Serialize(ar); });
    EXPECT_EQ(bytes, sampleIconBytes("01000000", "0900000004200000"));
    EXPECT_EQ(icon.Flags & kIconModified, 0u) << "storing clears the modified bit";

    // Selected, entered and modified in the stream: the session's own state is not taken over.
    CQuibIcon loaded;
    readArchived(sampleIconBytes("01000000", "0900000039100000"),
                 [&](CArchive& ar) { loaded.Serialize(ar); });
    EXPECT_EQ(loaded.Flags, 0x2034u);
    loaded.Flags = icon.Flags;
    EXPECT_EQ(static_cast<const CQuibIconFields&>(loaded), static_cast<const CQuibIconFields&>(icon));

    CQuibIcon old;
    old.PictId = 5;
    readArchived(sampleIconBytes("00000000", ""), [&](CArchive& ar) { old.Serialize(ar); });
    EXPECT_EQ(old.PictId, 0);
    EXPECT_EQ(old.Flags, kIconDefaultFlags);
    EXPECT_EQ(old.WordName, "hi");
}

TEST_F(IconStreamTest, UnknownVersionOrShortStreamFailsTheRead)
{
    CQuibIcon icon;
    EXPECT_THROW(readArchived(sampleIconBytes("02000000", "0900000004200000"),
                              [&](CArchive& ar) { icon.Serialize(ar); }),
                 CArchiveException);
    const QByteArray whole = sampleIconBytes("01000000", "0900000004200000");
    for (int length : {0, 1, 10, 40, int(whole.size()) - 1}) {
        CQuibIcon cut;
        EXPECT_THROW(readArchived(whole.left(length), [&](CArchive& ar) { cut.Serialize(ar); }),
                     CArchiveException)
            << length;
    }
    // A label that claims more characters than the stream holds.
    QByteArray longLabel = whole;
    longLabel[46] = char(0x7F);
    EXPECT_THROW(readArchived(longLabel, [&](CArchive& ar) { icon.Serialize(ar); }), CArchiveException);
}

TEST_F(IconStreamTest, ListsAndCopiesKeepEachIconsShapeClass)
{
    CQuibIconList icons;
    icons.push_back(std::make_unique<CQuibIcon>());
    icons.push_back(std::make_unique<CQuibIcon_Rect>());
    icons.push_back(std::make_unique<CQuibIcon_Ellipse>());
    icons[2]->Name = "round";
    const QByteArray bytes = archivedBytes([&](CArchive& ar) { SerializeObjectList(ar, icons); });
    EXPECT_TRUE(bytes.contains("CQuibIcon_Ellipse"));

    CQuibIconList read;
    readArchived(bytes, [&](CArchive& ar) { SerializeObjectList(ar, read); });
    read[0]->Flags &= ~kIconNeedsLayout; // laid out and drawn
    CQuibIconList copies = CopyIconList(read);
    read.clear(); // the copies own nothing of what they were copied from
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon));
    EXPECT_EQ(copies[1]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon_Rect));
    EXPECT_EQ(copies[2]->GetRuntimeClass(), RUNTIME_CLASS(CQuibIcon_Ellipse));
    EXPECT_EQ(copies[2]->Name, "round");
    EXPECT_TRUE(copies[0]->Flags & kIconNeedsLayout) << "a copy has no cached picture to draw";
    EXPECT_EQ(copies[2]->Options, "");
    copies[2]->Attributes.SetValue("textsize", "12pt");
    EXPECT_TRUE(copies[2]->Options.contains("12pt")) << "a copy's attributes work on its own options";
}

TEST_F(IconStreamTest, PerMilleConvertsWithRoundingAndSkipsEmptyPageSides)
{
    CQuibIcon icon;
    icon.StoredRect = CRect(100, 100, 500, 400);
    icon.RelativeToScreen(SIZE{640, 480});
    EXPECT_EQ(icon.ScreenRect, CRect(64, 48, 320, 192));

    // Halves round away from zero, on both sides of zero.
    icon.ScreenRect = CRect(-1, 1, 3, 2000);
    icon.ScreenToRelative(SIZE{2000, 2000});
    EXPECT_EQ(icon.StoredRect, CRect(-1, 1, 2, 1000));

    icon.ScreenToRelative(SIZE{0, 480});
    EXPECT_EQ(icon.StoredRect, CRect(-1, 1, 2, 1000)) << "a page of no width leaves the stored rectangle";
}

TEST_F(IconStreamTest, ShownTextFollowsTheLabel)
{
    CQuibIcon icon;
    EXPECT_EQ(icon.GetDisplayText(kWordTextCutSuffix), "") << "no word and no label";
    icon.WordName = "ko#2";
    EXPECT_EQ(icon.GetDisplayText(kWordTextCutSuffix), "ko");
    icon.WordName = "a #none";
    EXPECT_EQ(icon.GetDisplayText(0), "");
}
