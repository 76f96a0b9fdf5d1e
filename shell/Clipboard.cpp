#include "shell/Clipboard.h"

#include "core/IconEditing.h"
#include "core/IconEvents.h"
#include "core/ObjectIndex.h"
#include "core/Page.h"
#include "core/Sentence.h"
#include "core/User.h"
#include "core/Word.h"
#include "panes/Panes.h"
#include "platform/archive/ArchiveException.h"
#include "platform/archive/MemFile.h"
#include "shell/Commands.h"
#include "store/ResourceManager.h"
#include "system/OutputFile.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

CQuibIcon* theCopyIcon = nullptr;
CQuibSentence* theCopySentence = nullptr;
QString theCopyText;

namespace
{

// An icon that may not be cut (a page's fixed furniture).
constexpr std::uint32_t kIconNoCut = 0x4000;
// The sentence endings: the intention signs of a statement and of a question.
constexpr std::int32_t kStatementEnding = 2364;
constexpr std::int32_t kQuestionEnding = 2365;
// An icon's stream is its fixed fields and two names a person typed: some hundred bytes. Any program
// may put bytes there, so a larger stream is refused before its names are copied out of it (into the
// page, and from there into the data file).
constexpr qsizetype kIconStreamLimit = 64 * 1024;
// The display-text flags of a sentence's words on the clipboard.
constexpr int kSentenceTextFlags = 3;

const QMimeData* clipboardData()
{
    return QGuiApplication::clipboard()->mimeData();
}

bool clipboardHasIcon()
{
    const QMimeData* data = clipboardData();
    return data && data->hasFormat(QLatin1String(kIconClipboardMimeType));
}

bool clipboardHasText()
{
    const QMimeData* data = clipboardData();
    return data && data->hasText();
}

bool browsing()
{
    return theEditTool == kEditToolBrowse;
}

// The pane an icon is pasted onto: the focus pane, else the main pane, when it may be edited and shows
// a page.
CPane* pasteTargetPane()
{
    for (CPane* pane : {theFocusPane, static_cast<CPane*>(&theMainPane)})
        if (pane && pane->IsEditable() && pane->GetPage())
            return pane;
    return nullptr;
}

// A page changed by the clipboard is stored at once, in the user's file, unless the page editor has it
// open or an output file is open: those keep the change and store it themselves. A page that could not
// be written stays on screen and changed, for the file's next save, and the person is told.
void storeChangedPage(CPane& pane, CQuibBg* page)
{
    if (!page || theBgEditorEditsPageHook(page) || theOutputFile > 0)
        return;
    int written = RES_OK;
    const bool placed = CQuibBg::SaveChanges(page, false, &written);
    if (placed) {
        pane.UpdateLayout(true);
        pane.Invalidate();
    }
    if (written != RES_OK)
        MessageBoxById(kMsgPageNotStored, lumivo::ui::MB_OK | lumivo::ui::MB_ICONEXCLAMATION,
                       GetResFilePath(theCurrentUser ? theCurrentUser->GetFile() : 0));
}

void putOnClipboard(std::unique_ptr<QMimeData> data)
{
    QGuiApplication::clipboard()->setMimeData(data.release());
}

// ---- pasting text as sentences ----------------------------------------------------------------------

struct PastedSentence {
    QString text;
    std::int32_t ending = kStatementEnding;
};

// Splits at line ends, full stops, commas, question marks and tabs; each sentence ends as its own
// terminator says, so a question after a statement is a question and a statement after it is not.
std::vector<PastedSentence> splitIntoSentences(const QString& text)
{
    std::vector<PastedSentence> sentences;
    PastedSentence current;
    for (const QChar ch : text) {
        if (ch == u'\n' || ch == u'.' || ch == u',' || ch == u'?' || ch == u'\t') {
            current.ending = ch == u'?' ? kQuestionEnding : kStatementEnding;
            current.text = current.text.trimmed();
            sentences.push_back(std::move(current));
            current = {};
        } else {
            current.text += ch;
        }
    }
    current.text = current.text.trimmed();
    if (!current.text.isEmpty())
        sentences.push_back(std::move(current));
    return sentences;
}

QStringList splitIntoWords(const QString& sentence)
{
    static const QRegularExpression separators(QStringLiteral("[ ,;:.?]"));
    return sentence.split(separators, Qt::SkipEmptyParts);
}

// The id of the word the word list holds under this name (or a name it begins), tried as typed and then
// in lower case; 0 when there is none.
std::int32_t findWordId(const QString& name)
{
    const CSortedStringArray& names = theWordIndex.Names();
    for (const QString& tried : {name, name.toLower()}) {
        const int index = names.FindPrefix(tried);
        if (index < 0)
            continue;
        if (auto* word = static_cast<CQuibWord*>(names.GetItemData(index)))
            return word->GetID();
    }
    return 0;
}

std::vector<std::unique_ptr<CQuibIcon>> iconsForWords(const QString& sentence)
{
    std::vector<std::unique_ptr<CQuibIcon>> icons;
    for (const QString& name : splitIntoWords(sentence)) {
        const std::int32_t id = findWordId(name);
        if (id == 0)
            continue; // a word the word list lacks is left out without a message
        auto icon = std::make_unique<CQuibIcon>(kIconShapeRect);
        icon->WordId = icon->ShownWordId = id;
        icons.push_back(std::move(icon));
    }
    return icons;
}

void setShownSentenceEnding(std::int32_t ending)
{
    CQuibSentence* shown = theWriterPane.ShownSentence();
    if (!shown || shown->IntensionMarkerId == ending)
        return;
    shown->IntensionMarkerId = ending;
    shown->Commit();
    theWriterPane.Invalidate();
}

// The first sentence with words goes into the shown sentence; each further one into a new sentence
// behind it. A sentence without a known word adds nothing and changes no ending.
bool pasteTextIntoWriter(const QString& text)
{
    if (!theWriterPane.ShownSentence())
        return false;
    bool first = true;
    for (const PastedSentence& sentence : splitIntoSentences(text)) {
        std::vector<std::unique_ptr<CQuibIcon>> icons = iconsForWords(sentence.text);
        if (icons.empty())
            continue;
        if (!first && !theWriterPane.NewSentence(theCurrentUser ? theCurrentUser->CurrentSentence : -1))
            return false;
        first = false;
        for (const auto& icon : icons)
            theWriterPane.InsertIcon(icon.get(), kInsertAtTail, 0);
        setShownSentenceEnding(sentence.ending);
    }
    return !first;
}

// ---- pasting an icon onto a page -------------------------------------------------------------------

bool pasteIconOntoPage()
{
    auto icon = std::make_unique<CQuibIcon>(kIconShapeRect);
    if (!ReadIconFromClipboard(clipboardData(), *icon))
        return false;
    CPane* pane = pasteTargetPane();
    if (!pane)
        return false; // nobody takes the icon: it is freed here
    const CRect paneOnPage(pane->ClientToPage(pane->PaneRect.TopLeft()), pane->PaneRect.Size());
    const std::optional<CRect> rect = PastedIconRect(icon->StoredRect, paneOnPage);
    if (!rect)
        return false;
    CQuibBg* page = pane->GetPage();
    pane->ClearSelection();
    CQuibIcon* pasted = icon.get();
    // The tail of the list is drawn last: the pasted icon lies in front of the others.
    page->Icons.push_back(std::move(icon));
    pasted->Flags &= ~kIconHandles;
    pasted->SetRect(rect->left, rect->top, rect->right, rect->bottom, false); // snapped already
    page->Commit();
    pasted->DragCopy = pasted->Clone();
    pasted->ReloadWord(false); // its picture and text show before the page is laid out again
    pasted->Redraw(true);
    storeChangedPage(*pane, page);
    return true;
}

} // namespace

// ---- the pasted icon's place ------------------------------------------------------------------------

std::optional<CRect> PastedIconRect(CRect carried, const CRect& paneArea)
{
    const std::int64_t paneWidth = paneArea.Width();
    const std::int64_t paneHeight = paneArea.Height();
    if (paneWidth < kPastedIconMinimumSize || paneHeight < kPastedIconMinimumSize)
        return std::nullopt;
    carried.NormalizeRect();
    std::int64_t width = carried.Width();
    std::int64_t height = carried.Height();
    if (width < kPastedIconMinimumSize || height < kPastedIconMinimumSize)
        width = height = kPastedIconMinimumSize;
    // Larger than the pane: made smaller by the side that overflows most, its proportions kept.
    if (width > paneWidth || height > paneHeight) {
        if (width * paneHeight > height * paneWidth) {
            height = std::max<std::int64_t>(kPastedIconMinimumSize, height * paneWidth / width);
            width = paneWidth;
        } else {
            width = std::max<std::int64_t>(kPastedIconMinimumSize, width * paneHeight / height);
            height = paneHeight;
        }
    }
    const CSize size(static_cast<int>(width), static_cast<int>(height));
    CPoint corner(paneArea.left + (paneArea.Width() - size.cx) / 2,
                  paneArea.top + (paneArea.Height() - size.cy) / 2);
    if (theEditOptions & kEditOptionSnapToGrid) {
        // The grid line may lie outside the pane near its edges: the pane wins.
        corner = SnapToGrid(corner);
        corner.x = std::clamp(corner.x, paneArea.left, paneArea.right - size.cx);
        corner.y = std::clamp(corner.y, paneArea.top, paneArea.bottom - size.cy);
    }
    return CRect(corner, size);
}

// ---- the copy source --------------------------------------------------------------------------------

void ClearCopySource()
{
    theCopyText.clear();
    theCopySentence = nullptr;
    theCopyIcon = nullptr;
}

void SetCopyIcon(CQuibIcon* icon)
{
    ClearCopySource();
    theCopyIcon = icon;
}

void SetCopySentence(CQuibSentence* sentence)
{
    ClearCopySource();
    if (sentence && !sentence->Icons.empty())
        theCopySentence = sentence;
}

void SetCopyText(const QString& text)
{
    ClearCopySource();
    theCopyText = text;
}

void OnClipboardSelectionChanged()
{
    if (theSelectedIcons.size() == 1)
        SetCopyIcon(theSelectedIcons.front());
    else
        ClearCopySource();
}

void ForgetCopyIcon(const CQuibIcon* icon)
{
    if (icon == theCopyIcon)
        theCopyIcon = nullptr;
}

void ForgetCopySentence(const CQuibSentence* sentence)
{
    if (sentence == theCopySentence)
        theCopySentence = nullptr;
}

// ---- states -----------------------------------------------------------------------------------------

bool CanCopy()
{
    return theCopyIcon || theCopySentence || !theCopyText.isEmpty();
}

bool CanCut()
{
    if (!theCopyIcon || browsing() || theSelectedIcons.size() != 1 || (theCopyIcon->Flags & kIconNoCut))
        return false;
    const CPane* pane = CPane::FindPaneOfIcon(theCopyIcon);
    return pane && pane->IsEditable();
}

bool CanPaste()
{
    if (browsing())
        return clipboardHasText();
    return clipboardHasIcon() && pasteTargetPane() != nullptr;
}

// ---- writers ----------------------------------------------------------------------------------------

QByteArray IconClipboardBytes(const CQuibIcon& icon)
{
    CQuibIcon copy(kIconShapeRect);
    copy.CopyFrom(icon);
    copy.StoredRect = icon.ScreenRect;
    CMemFile file;
    CArchive archive(file, CArchive::store);
    copy.Serialize(archive);
    archive.Close();
    return file.Detach();
}

bool CopyIconToClipboard(CQuibIcon& icon)
{
    auto data = std::make_unique<QMimeData>();
    const QString text = icon.GetShownWordText();
    if (!text.isEmpty())
        data->setText(text);
    data->setData(QLatin1String(kIconClipboardMimeType), IconClipboardBytes(icon));
    putOnClipboard(std::move(data));
    return true;
}

QString SentenceClipboardText(CQuibSentence& sentence)
{
    QString text;
    for (const auto& icon : sentence.Icons) {
        if (icon)
            text += icon->GetDisplayText(kSentenceTextFlags);
        text += u' ';
    }
    text = text.trimmed();
    if (text.isEmpty())
        return text;
    text[0] = text[0].toUpper();
    text += sentence.IntensionMarkerId == kQuestionEnding ? u'?' : u'.';
    return text;
}

bool CopySentenceToClipboard(CQuibSentence& sentence)
{
    return CopyTextToClipboard(SentenceClipboardText(sentence));
}

bool CopyTextToClipboard(const QString& text)
{
    if (text.isEmpty())
        return false;
    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    putOnClipboard(std::move(data));
    return true;
}

// ---- reading ----------------------------------------------------------------------------------------

bool ReadIconStream(const QByteArray& bytes, CQuibIcon& icon)
{
    if (bytes.size() > kIconStreamLimit)
        return false;
    CMemFile file(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    try {
        CArchive archive(file, CArchive::load);
        icon.Serialize(archive);
        archive.Close();
    } catch (const CArchiveException&) {
        return false;
    }
    return file.GetPosition() == file.GetLength();
}

bool ReadIconFromClipboard(const QMimeData* data, CQuibIcon& icon)
{
    if (!data || !data->hasFormat(QLatin1String(kIconClipboardMimeType)))
        return false;
    return ReadIconStream(data->data(QLatin1String(kIconClipboardMimeType)), icon);
}

// ---- commands ---------------------------------------------------------------------------------------

bool CopyToClipboard()
{
    if (theCopyIcon && CopyIconToClipboard(*theCopyIcon))
        return true;
    if (theCopySentence && CopySentenceToClipboard(*theCopySentence))
        return true;
    return CopyTextToClipboard(theCopyText);
}

bool CutToClipboard()
{
    // The command may come by key while the menu would grey it.
    if (!CanCut())
        return false;
    CQuibIcon* icon = theCopyIcon;
    CPane* pane = CPane::FindPaneOfIcon(icon);
    CQuibBg* page = pane ? pane->GetPage() : nullptr;
    if (!page || !page->HoldsIcon(icon) || !CopyIconToClipboard(*icon))
        return false;
    icon->Deselect();
    icon->Redraw(true);
    // Its destructor takes it out of the copy source and whatever else still refers to it.
    std::erase_if(page->Icons, [icon](const auto& each) { return each.get() == icon; });
    page->Commit();
    storeChangedPage(*pane, page);
    return true;
}

bool PasteFromClipboard()
{
    if (browsing())
        return clipboardHasText() && pasteTextIntoWriter(clipboardData()->text());
    return clipboardHasIcon() && pasteIconOntoPage();
}

// ---- state -----------------------------------------------------------------------------------------

void ResetClipboard()
{
    ClearCopySource();
}
