#include "admin/ImportAviDlg.h"

#include "admin/DialogParts.h"
#include "admin/ImportStrings.h"
#include "core/Clip.h"
#include "core/ColorPalette.h"
#include "core/Lookups.h"
#include "core/StoredMedia.h"
#include "platform/files/FileSystem.h"
#include "shell/ColorCombo.h"
#include "store/ResourceManager.h"
#include "system/LanguageRecords.h"
#include "system/SystemStrings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QScopedValueRollback>

#include <cstdlib>
#include <memory>

using namespace import_strings;

namespace
{

constexpr int kFirstClipText = 1270;
constexpr int kClipKinds[] = {0, 1, 2, 3, 4, 5, 10, 11};
constexpr int kDefaultLanguageText = 10001;

// The language suffix of the type entries; none when the language has no record and is not 1.
std::optional<QString> languageSuffix(std::uint16_t language)
{
    if (language == 0)
        return QString();
    if (const CQuibSystem* record = FindSystemRecord(language))
        return record->m_name.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(record->m_name);
    if (language == 1)
        return QStringLiteral(" (%1)").arg(LoadSystemString(kDefaultLanguageText));
    return std::nullopt;
}

void setClipFields(CQuibAvi& clip, const ClipImportChoice& choice)
{
    clip.Name.clear();
    clip.Options = choice.author;
    clip.Param2 = choice.chromaKey;
    clip.Param3 = choice.background;
}

int storeClip(CQuibAvi& clip, const ClipImportChoice& choice, std::int32_t wordId, const QString& path)
{
    if (lumivo::files::fileSystem().info(path).size > lumivo::files::kMaxMediaFileBytes)
        return kImportFileTooLarge;
    if (std::int64_t(clip.ImportFile(path)) <= 0)
        return kImportUnreadableFile;
    const int kind = choice.aviType & 0xFF;
    const std::int32_t type = CQuibAvi::MakeType(std::int16_t(kind), std::int16_t(choice.translateLanguage));
    if (choice.skipWhenElsewhere && FindAviById(wordId, kind))
        return kImportExistsElsewhere;
    if (ResourceExists(wordId, type, choice.outputFile) && !choice.overwrite)
        return kImportExists;
    // The clip's record is written with its fields first and replaces the stored one only then.
    setClipFields(clip, choice);
    const int error = ReplaceStoredRecord(clip, {wordId, choice.outputFile, type});
    return error == RES_OK ? 0 : -std::abs(error);
}

} // namespace

int ImportAviFile(const ClipImportChoice& choice, const QString& /*title*/, std::int32_t wordId,
                  const QString& path)
{
    auto clip = std::make_unique<CQuibAvi>();
    int result = clip->Create();
    if (result == RES_OK)
        result = storeClip(*clip, choice, wordId, path);
    else
        result = -std::abs(result);
    // The record made up front stays only when it was placed in the output file.
    if (result != 0 || clip->GetFile() != choice.outputFile)
        clip->Remove();
    return result;
}

CImportAviDlg::CImportAviDlg(QWidget* parent)
    : CImportMediaDlg(ImportItem::Clip, kClipTitle, kOverwriteClips, parent)
{
    m_typeList = addListRow(kClipType, "typeList");
    addAuthorIdRow();
    m_chromaKeyList = addColorRow(kChromaKey, "chromaKeyList", m_chromaKey);
    m_backgroundList = addColorRow(kBackground, "backgroundList", m_background);
    FillAviTypeList(m_translateLanguage);
    // The entries name language 1, as they always did, while clips are stored in the translation
    // language.
    if (m_translateLanguage != 1)
        FillAviTypeList(1);
    for (CColorCombo* list : {m_chromaKeyList, m_backgroundList})
        FillColorCombo(list->FillTarget(), kClipDefaultColor, true, true, {251, 253, 254, 255});
    // The type shown is the type used: "None" carries its language, so the dialog opens ready to
    // import.
    m_aviType = SelectedData(*m_typeList);
    finishInit();
    m_typeList->setFocus();
}

CColorCombo* CImportAviDlg::addColorRow(int labelId, const char* objectName, std::uint32_t& member)
{
    auto* list = new CColorCombo(this);
    list->setObjectName(QLatin1String(objectName));
    ownRows()->addRow(lumivo::admin::labelOf(labelId, list), list);
    connect(list, &QComboBox::currentIndexChanged, this,
            [this, list, &member] { onColorChosen(*list, member); });
    return list;
}

void CImportAviDlg::onColorChosen(CColorCombo& combo, std::uint32_t& member)
{
    if (!m_initialised || m_updating || !combo.PickCustomColor())
        return;
    CColor color;
    if (!combo.GetItemColor(combo.currentIndex(), color))
        return;
    member = color.GetPacked();
    UpdateControls();
}

void CImportAviDlg::FillAviTypeList(std::uint16_t language)
{
    const QScopedValueRollback updating(m_updating, true);
    m_typeList->clear();
    const std::optional<QString> suffix = languageSuffix(language);
    if (!suffix)
        return;
    for (int kind : kClipKinds)
        m_typeList->addItem(LoadSystemString(kFirstClipText + kind) + *suffix,
                            kind + 256 * (language & 0xFF));
    m_typeList->setCurrentIndex(0);
}

void CImportAviDlg::readControls()
{
    if (!m_initialised || m_updating)
        return;
    m_aviType = SelectedData(*m_typeList);
    CImportMediaDlg::readControls();
}

void CImportAviDlg::UpdateControls()
{
    const QScopedValueRollback updating(m_updating, true);
    setImportEnabled(m_aviType != 0);
    m_chromaKeyList->setEnabled(true);
    m_backgroundList->setEnabled(true);
    m_chromaKeyList->SelectColor(m_chromaKey);
    m_backgroundList->SelectColor(m_background);
    CImportMediaDlg::UpdateControls();
}

QString CImportAviDlg::filterFormat() const
{
    return QStringLiteral("%s (*.*)|*.*|avi (*.avi)|*.avi||");
}

int CImportAviDlg::storeStep(const QString& title, std::int32_t wordId, const QString& path)
{
    auto choice = choiceWithChecks<ClipImportChoice>();
    choice.aviType = m_aviType;
    choice.translateLanguage = m_translateLanguage;
    choice.author = m_authorId;
    choice.chromaKey = m_chromaKey;
    choice.background = m_background;
    return ImportAviFile(choice, title, wordId, path);
}
