#pragma once
// The five pane pages of the user-settings sheet: for the main, navigator, word, writer and info pane
// the page it starts with and its background colour. The main pane's page adds the spot marker for
// transparent icons and the user's three picture folders; the writer pane's page adds the most
// sentences the user keeps and what its print button prints.

#include "admin/UserSettingsPage.h"

#include <QString>

#include <cstdint>

class CColorCombo;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
struct CQuibPaneSettings;

// The family: start page and colour, and what each member reports when its start page changes.
class CQuibUS_ViewPage : public CQuibUS_Page
{
public:
    enum class Pane { Main, Navigator, Word, Writer, Info };

    CQuibUS_ViewPage(CQuibUS_PropSheet& sheet, Pane pane);
    void LoadFromUser() override;

    std::uint32_t GetStartPage() const { return m_startPage; }
    std::uint32_t GetColor() const { return m_color; }
    QComboBox* StartPageCombo() const { return m_startCombo; }
    CColorCombo* ColorCombo() const { return m_colorCombo; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;
    void OnSetActive() override;
    void OnOK() override;

    // The members' own rows below the colour, from `row` on.
    virtual void AddOwnControls(QWidget& page, QGridLayout& grid, int row);
    CQuibPaneSettings* Settings() const;
    // The reload steps a new start page asks for.
    std::uint32_t StartPageReport() const;

private:
    void OnStartPageEdited(const QString& typed);
    void OnColorChosen();
    void FillStartPageText();

    Pane m_pane;
    std::uint32_t m_startPage = 0;
    std::uint32_t m_color = 0x03D3CEAD;
    QComboBox* m_startCombo = nullptr;
    CColorCombo* m_colorCombo = nullptr;
    QString m_shownText;   // the start page's text as last shown
    int m_typedLength = 0; // how much of it the person typed
};

class CQuibUS_MainViewPage : public CQuibUS_ViewPage
{
public:
    explicit CQuibUS_MainViewPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    std::uint32_t GetOptionFlags() const { return m_optionFlags; }
    QCheckBox* SpotMarkerBox() const { return m_spotBox; }

protected:
    void AddOwnControls(QWidget& page, QGridLayout& grid, int row) override;
    bool DoDataExchange(bool save) override;
    void OnOK() override;

private:
    struct Folder {
        QString path;
        QLineEdit* shown = nullptr;
    };
    void BrowseFolder(Folder& folder, int promptId);

    std::uint32_t m_optionFlags = 0; // bit 0: the spot marks every transparent icon
    QCheckBox* m_spotBox = nullptr;
    Folder m_deletedFolder;
    Folder m_pictureFolder;
    Folder m_pictureFolder2;
};

class CQuibUS_NavViewPage : public CQuibUS_ViewPage
{
public:
    explicit CQuibUS_NavViewPage(CQuibUS_PropSheet& sheet) : CQuibUS_ViewPage(sheet, Pane::Navigator) {}
};

class CQuibUS_WordViewPage : public CQuibUS_ViewPage
{
public:
    explicit CQuibUS_WordViewPage(CQuibUS_PropSheet& sheet) : CQuibUS_ViewPage(sheet, Pane::Word) {}
};

class CQuibUS_InfoViewPage : public CQuibUS_ViewPage
{
public:
    explicit CQuibUS_InfoViewPage(CQuibUS_PropSheet& sheet) : CQuibUS_ViewPage(sheet, Pane::Info) {}
};

class CQuibUS_WriterViewPage : public CQuibUS_ViewPage
{
public:
    static constexpr int kMostSentences = 99;

    explicit CQuibUS_WriterViewPage(CQuibUS_PropSheet& sheet);
    void LoadFromUser() override;

    std::int32_t GetMaxSentences() const { return m_maxSentences; }
    std::uint32_t GetPrintMode() const { return m_printMode; }
    QLineEdit* MaxSentencesEdit() const { return m_maxEdit; }
    QComboBox* PrintModeCombo() const { return m_printCombo; }

    // Takes the typed maximum when it is allowed; otherwise tells the person why and refuses.
    bool ValidateMaxSentences();

protected:
    void AddOwnControls(QWidget& page, QGridLayout& grid, int row) override;
    bool DoDataExchange(bool save) override;
    bool OnKillActive() override;
    void OnOK() override;

private:
    void OnPrintModeChosen();

    std::int32_t m_maxSentences = 9;
    std::uint32_t m_printMode = 5029;
    QLineEdit* m_maxEdit = nullptr;
    QComboBox* m_printCombo = nullptr;
};
