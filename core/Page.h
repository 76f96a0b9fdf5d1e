#pragma once
// A page ("background"): one screen of icons over a picture. Its name, its icons in drawing order and
// its flags are stored as an archive stream in a record of type 'gb'; its picture is the picture record
// with the same id, of the kind that suits the pane's frame size. The page index theBgIndex owns every
// page loaded from the data files.

#include "core/Icon.h"
#include "platform/archive/Archive.h"
#include "platform/types/WinTypes.h"
#include "store/PictureFormat.h"
#include "store/ResourceHandle.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class CQuibPict;

// What a page copies and compares besides its icons.
struct CQuibBgSettings {
    QString Name;
    std::uint32_t BgFlags = 0; // stored after the icons; copied with the page

    bool operator==(const CQuibBgSettings&) const = default;
};

class CQuibBg : public CMyRes, public CObject, public CQuibBgSettings
{
    DECLARE_SERIAL(CQuibBg)

public:
    CQuibBg();
    ~CQuibBg() override;
    CQuibBg(const CQuibBg&) = delete;
    CQuibBg& operator=(const CQuibBg&) = delete;

    // Takes the name, the flags and copies of the icons (each of its own class); with none, empties the
    // page. The picture and the sizes stay.
    void Assign(const CQuibBg* source);
    void DeleteIcons();
    // Tells the page editor, then flags the record as changed.
    int Commit();
    // Stores the icons' rectangles in per mille of the layout size, then writes the record.
    int Write();
    // Asks every icon to load its word (again with `force`); the panes call it after a layout.
    void ReloadIconWords(bool force);
    // Takes the picture with the page's id and this kind byte, when there is one.
    bool LoadPicture(int kind);
    // Gives the page its picture for the frame-size mode (1 to 6) when it has none (with `force`, the
    // picture it has is dropped first): the modes are tried from the current one onward to the last,
    // then back from it to the first, until a picture is found. Gives the mode whose picture the page
    // holds, 0 when it holds none; a page whose flags say it has no picture looks for none.
    int LoadPictureForFrameSize(int currentMode, bool force);
    // Decodes the picture and keeps its image, size and kind; the picture object is dropped. Bytes
    // that the held picture was decoded from are not decoded again.
    void TakePicture(std::unique_ptr<CQuibPict> picture);
    // Whether the icon list holds this icon.
    bool HoldsIcon(const CQuibIcon* icon) const;

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override;
    // The stream with the record's time stamp given: old records lack the icons or the flags.
    void SerializeStamped(CArchive& ar, const CTime& stamp);

    // Asks (with `ask`) and removes the page from its file and from the page index, announcing it before
    // (pageAboutToBeRemoved) and after (pageRemoved: whatever showed it shows its default page). False
    // when the person declined. A page the index held is deleted with it; one the caller owns stays the
    // caller's.
    static bool Remove(CQuibBg* page, bool ask);
    // Stores an edited page in the user's or the output file (asking with `ask`). False on Cancel, and
    // when the page (or its copy) could not be placed in that file. `written`, when given, takes the
    // store's code of the step that failed, RES_OK when none did: a placed page whose write failed (a
    // full disk) gives true with the write's code, and stays committed and changed, and its file dirty,
    // so that the file's next save writes it.
    static bool SaveChanges(CQuibBg* page, bool ask, int* written = nullptr);
    // The question SaveChanges asks about the page: IDYES, IDNO or IDCANCEL.
    static int AskToSave(const CQuibBg& page);
    // The answer No: a new page (or one without an id) is removed, another one is read back from its
    // file (pageReverted). False when the new page could not be removed.
    static bool DropChanges(CQuibBg* page);
    // The same for a page the caller owns: once it is stored in a file and the page index does not hold
    // it, the index takes it over and `page` is left empty (also when its write failed: it stays
    // changed there); otherwise it stays the caller's.
    static bool SaveChanges(std::unique_ptr<CQuibBg>& page, bool ask, int* written = nullptr);

    CQuibIconList Icons;   // drawing order: the tail lies in front
    SIZE LayoutSize{0, 0}; // the page as last laid out in a pane: the reference of the per-mille form
    std::optional<RgbImage> PictureImage;
    std::int16_t PictureKind = 0;
    SIZE PictureSize{0, 0};
    int PictureFrameMode = 0; // the frame-size mode whose picture the page holds

protected:
    void ResetToDefaults() override { Assign(nullptr); }

private:
    void dropPicture();

    // A digest of the stored bytes the held picture was decoded from (0: not known), so that taking
    // the same bytes again keeps it instead of decoding them once more.
    std::size_t PictureDigest = 0;
};

std::uint8_t GetBgTypeLanguage(std::int32_t type);

// A page flag: the page has no picture of its own.
// The message that a changed page could not be written to its file ("[#1]"); the page stays changed
// on screen for the file's next save. Shown by whoever stored the page (SaveChanges gives the code).
constexpr int kMsgPageNotStored = 9803;
constexpr std::uint32_t kBgFlagNoPicture = 0x8;
constexpr int kFirstFrameSizeMode = 1;
constexpr int kLastFrameSizeMode = 6;
// The picture kind of a frame-size mode: 1 -> 32, 3 -> 34, 4 -> 35, 5 -> 36, 6 -> 37, any other -> 33.
int FrameSizeToLayoutId(int mode);

// Commits and writes the page, then files it in the page index under its current keys with its name
// in the name list. A page the index held under those keys before is dropped, after whatever showed it
// has been given this page instead (pageReplaced). A page the index does not hold yet is taken over
// (the second form); the first form refiles only a page the index holds. The write's result (RES_OK or
// the store's code) is given back by the first form and into `written` by the second; a page whose
// write failed is filed all the same, changed, for its file's next save to write.
int SaveBackground(CQuibBg* page);
CQuibBg* SaveBackground(std::unique_ptr<CQuibBg> page, int* written = nullptr);

// The page index's maker of pages (the default of thePageObjectMaker).
std::unique_ptr<CMyRes> MakeIndexedPage(CResEntry* record, QString& name);

// The times from which page records carry their icons, and their flags (records stamped strictly later).
CTime PageIconsGate();
CTime PageFlagsGate();
