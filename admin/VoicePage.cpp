#include "admin/VoicePage.h"

#include "admin/UserSettingsSheet.h"
#include "admin/UserSettingsStrings.h"
#include "core/User.h"
#include "media/SpeechEngine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

namespace
{

constexpr int kPrimaryLabel = 9331;
constexpr int kSecondaryLabel = 9332;
constexpr int kMostEngineVoices = 64;
// The recorded voices offered, each with its text (code 5, the user's own voice, is not offered).
constexpr std::pair<std::int16_t, int> kRecordedVoices[] = {{0, 1250}, {1, 1251}, {2, 1252},
                                                            {3, 1253}, {4, 1254}, {6, 1256}};

bool isEngineVoice(std::int16_t code)
{
    return (code & CQuibUS_VoicePage::kEngineVoice) != 0;
}

// The engine's voices, none while it is not made or not ready yet.
int engineVoiceCount()
{
    if (!theSpeechEngine || !theSpeechEngine->IsReady())
        return 0;
    return std::clamp(theSpeechEngine->GetVoiceCount(), 0, kMostEngineVoices);
}

} // namespace

CQuibUS_VoicePage::CQuibUS_VoicePage(CQuibUS_PropSheet& sheet) : CQuibUS_Page(sheet) {}

std::int16_t CQuibUS_VoicePage::VoiceCodeOf(const QString& name)
{
    for (int n = engineVoiceCount() - 1; n >= 0; --n) {
        if (theSpeechEngine->GetVoiceName(n).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<std::int16_t>(kEngineVoice + n);
    }
    return kVoiceNotInstalled;
}

void CQuibUS_VoicePage::LoadFromUser()
{
    const CQuibUser* user = User();
    if (!user)
        return;
    m_outputs[0].code = user->FirstOutput;
    m_outputs[0].name = user->Voice1;
    m_outputs[1].code = user->SecondOutput;
    m_outputs[1].name = user->Voice2;
    m_amplification = (user->Flags & kExtraAmplification) != 0;
    // A voice is known by its name: the engine may number its voices otherwise than when it was chosen.
    for (Output& output : m_outputs) {
        if (isEngineVoice(output.code))
            output.code = VoiceCodeOf(output.name);
    }
}

void CQuibUS_VoicePage::OnInitDialog(QWidget& page)
{
    LoadFromUser();
    auto* form = new QFormLayout(&page);
    const int labels[] = {kPrimaryLabel, kSecondaryLabel};
    const char* names[] = {"primaryVoice", "secondaryVoice"};
    for (int which = 0; which < 2; ++which) {
        Output& output = m_outputs[which];
        output.combo = new QComboBox(&page);
        output.combo->setObjectName(QLatin1String(names[which]));
        output.combo->setMinimumContentsLength(24);
        form->addRow(SheetText(labels[which]), output.combo);
        ReportChoices(*output.combo, 0);
    }
    m_amplificationBox = new QCheckBox(SheetText(kTextExtraAmplification), &page);
    form->addRow(m_amplificationBox);
    ReportClicks(*m_amplificationBox, 0);
}

void CQuibUS_VoicePage::FillList(Output& output)
{
    QComboBox& combo = *output.combo;
    combo.clear();
    for (const auto& [code, text] : kRecordedVoices)
        combo.addItem(SheetText(text), int(code));
    combo.addItem(SheetText(kTextEngineDefaultVoice), int(kEngineDefault));
    const int voices = engineVoiceCount();
    for (int n = 0; n < voices; ++n)
        combo.addItem(theSpeechEngine->GetVoiceName(n), kEngineVoice + n);
    if (CSpeechEngine::IsTalebokaInstalled())
        combo.addItem(CSpeechEngine::GetTalebokaName(), int(kOutsideReader));
    if (output.code == kVoiceNotInstalled)
        combo.addItem(SheetText(kTextVoiceNotInstalled), int(kVoiceNotInstalled));
}

bool CQuibUS_VoicePage::DoDataExchange(bool save)
{
    for (Output& output : m_outputs) {
        if (!save) {
            FillList(output);
            SelectItemByValue(*output.combo, output.code);
            continue;
        }
        output.code = static_cast<std::int16_t>(SelectedValue(*output.combo));
        if (isEngineVoice(output.code))
            output.name = output.combo->currentText();
    }
    if (save)
        m_amplification = m_amplificationBox->isChecked();
    else
        m_amplificationBox->setChecked(m_amplification);
    return true;
}

void CQuibUS_VoicePage::OnOK()
{
    CQuibUser* user = User();
    if (!user)
        return;
    user->FirstOutput = m_outputs[0].code;
    user->Voice1 = m_outputs[0].name;
    user->SecondOutput = m_outputs[1].code;
    user->Voice2 = m_outputs[1].name;
    user->Flags =
        m_amplification ? (user->Flags | kExtraAmplification) : (user->Flags & ~kExtraAmplification);
}
