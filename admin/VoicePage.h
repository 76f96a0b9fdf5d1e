#pragma once
// The Voice page of the user-settings sheet: the two output settings an icon's activation tries when
// neither the icon nor its word has a sound (a recorded voice of the word, a voice of the speech
// engine or the outside reader), and extra amplification of the sound.

#include "admin/UserSettingsPage.h"

#include <QString>

#include <cstdint>

class QCheckBox;
class QComboBox;

class CQuibUS_VoicePage : public CQuibUS_Page
{
public:
    // Output codes beyond the recorded voices 0 to 6.
    static constexpr std::int16_t kOutsideReader = 0x10;
    static constexpr std::int16_t kEngineVoice = 0x40; // + the voice's number, 0 to 63
    static constexpr std::int16_t kEngineDefault = 0x80;
    static constexpr std::int16_t kVoiceNotInstalled = 0x81;
    static constexpr std::uint32_t kExtraAmplification = 0x2;

    explicit CQuibUS_VoicePage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    std::int16_t GetCode(int which) const { return m_outputs[which].code; }
    const QString& GetVoiceName(int which) const { return m_outputs[which].name; }
    QComboBox* VoiceCombo(int which) const { return m_outputs[which].combo; }
    QCheckBox* AmplificationBox() const { return m_amplificationBox; }

    // The code of a stored voice name among the engine's voices (searched from the highest number,
    // without regard to case); kVoiceNotInstalled when none has it or the engine is not there yet.
    static std::int16_t VoiceCodeOf(const QString& name);

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;

private:
    struct Output {
        std::int16_t code = 0;
        QString name;
        QComboBox* combo = nullptr;
    };
    void FillList(Output& output);

    Output m_outputs[2];
    bool m_amplification = false;
    QCheckBox* m_amplificationBox = nullptr;
};
