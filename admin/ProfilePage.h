#pragma once
// The Profile page of the user-settings sheet: the profile the user is linked to (from the profile
// files of the users folder), restoring the user's settings from it or from the factory, which window
// elements the user wants (each on, off or as the system has it), and the palette: new named user
// colours (numbers 101 to 199), a colour redefined, put back to its standard or deleted.

#include "admin/UserSettingsPage.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CColor;
class CColorCombo;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class CQuibUS_BasicPage : public CQuibUS_Page
{
public:
    explicit CQuibUS_BasicPage(CQuibUS_PropSheet& sheet);
    ~CQuibUS_BasicPage() override;
    void LoadFromUser() override;

    std::uint16_t GetScreenFlags() const { return m_screenFlags; }
    QComboBox* ProfileCombo() const { return m_profileCombo; }
    QPushButton* RestoreProfileButton() const { return m_restoreProfile; }
    QPushButton* FactoryButton() const { return m_factory; }
    CColorCombo* PaletteCombo() const { return m_paletteCombo; }
    QPushButton* ChooseButton() const { return m_choose; }
    QPushButton* StandardButton() const { return m_standard; }
    // The four window-element boxes: full screen, menu bar, toolbar, status bar.
    QCheckBox* ElementBox(int index) const { return m_elementBoxes[static_cast<std::size_t>(index)]; }

    // The number a new user colour gets: above the highest user colour of the palette, else the
    // lowest free one; 0 when none is free.
    static int NewColorNumber(const std::vector<int>& numbersInUse);

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;
    void OnDestroy() override;

private:
    void FillProfileList();
    void FreeProfileList();
    void AddProfilesOfFile(const QString& path);
    void OnProfileChosen();
    void RestoreUser(bool factory);
    void FillPaletteList();
    void RefreshPaletteButtons();
    void OnPaletteChosen();
    void DefineColor();
    void RedefineColor();
    void PutColorBack();

    std::uint16_t m_screenFlags = 0x00F7;
    std::vector<std::unique_ptr<CQuibUser>> m_profiles; // the combo's items, in its order
    std::vector<int> m_openedFiles;                     // profile files this page opened
    QComboBox* m_profileCombo = nullptr;
    QLabel* m_profilePath = nullptr;
    QPushButton* m_restoreProfile = nullptr;
    QPushButton* m_factory = nullptr;
    std::array<QCheckBox*, 4> m_elementBoxes{};
    CColorCombo* m_paletteCombo = nullptr;
    QPushButton* m_choose = nullptr;
    QPushButton* m_standard = nullptr;
};
