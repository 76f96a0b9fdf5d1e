#pragma once
// The icon wizard's picture and sound pages. The author chooses a picture file (cropped first when the
// edit options ask for it), a clip file, a sound file, or records a sound; at Finish the page stores it
// as a new record in the wizard's file, as the icon's own or in place of the word's picture or sound
// (then every icon of that word shows or plays it).
//
// Whether it replaces the word's: the author's tick when they gave one; else yes for a word of the
// system (and for a picture only when the icon shows its word's picture), and for a word the wizard
// is making.

#include "authoring/ImageOperations.h"
#include "authoring/SoundRecorder.h"
#include "authoring/WizardDialog.h"
#include "platform/types/WinTypes.h"

#include <QString>

#include <cstdint>
#include <optional>

class CIconWizard;
class QCheckBox;
class QPushButton;

// The replace box: not decided by the author, tick, no tick.
constexpr int kReplaceUndecided = 0;
constexpr int kReplaceWordMedia = 1;
constexpr int kKeepWordMedia = -1;

class CIconWizardPicturePage : public CWizardPage
{
public:
    explicit CIconWizardPicturePage(CIconWizard& wizard) : m_wizard(wizard) {}
    void OnDestroyPage() override;
    void OnApply() override;

    // The buttons' actions.
    void ChoosePicture();
    void ChooseClip();
    void OnReplaceClicked(bool ticked);

    // Whether the picture will replace the word's picture.
    bool ReplacesWordPicture() const;
    const std::optional<RgbImage>& Image() const { return m_image; }
    const QString& ClipPath() const { return m_clipPath; }
    QCheckBox* ReplaceBox() const { return m_replace; }
    QPushButton* ChooseButton() const { return m_choose; }

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    void storePicture();
    void storeClip();
    CRect pictureRect() const;

    CIconWizard& m_wizard;
    std::optional<RgbImage> m_image;
    QString m_clipPath;
    bool m_initialised = false;
    int m_replaceState = kReplaceUndecided;
    QPushButton* m_choose = nullptr;
    QPushButton* m_fromWord = nullptr;
    QPushButton* m_chooseClip = nullptr;
    QCheckBox* m_replace = nullptr;
};

class CIconWizardSoundPage : public CWizardPage
{
public:
    explicit CIconWizardSoundPage(CIconWizard& wizard);
    bool OnKillActive() override;
    bool OnWizardFinish() override;
    void OnApply() override;

    // The buttons' actions.
    void ChooseSoundFile();
    void ToggleRecording();
    void PlaySound();
    void OnReplaceClicked(bool ticked);

    // Whether the sound will replace the word's sound.
    bool ReplacesWordSound() const;
    CSoundRecorder& Recorder() { return m_recorder; }
    QPushButton* RecordButton() const { return m_record; }
    QPushButton* PlayButton() const { return m_play; }
    QCheckBox* ReplaceBox() const { return m_replace; }

protected:
    void OnInitDialog(QWidget& page) override;
    void DoDataExchange(bool save) override;

private:
    CIconWizard& m_wizard;
    CSoundRecorder m_recorder;
    bool m_initialised = false;
    int m_replaceState = kReplaceUndecided;
    QPushButton* m_chooseFile = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_play = nullptr;
    QCheckBox* m_replace = nullptr;
};
