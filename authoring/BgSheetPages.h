#pragma once
// Two pages of the page editor's sheet: "Basic properties" (the page's name, id, language, file and the
// time it was last stored) and "Userlevels" (the user levels of the editor's files, each ticked; the
// ticks are shown only, never read or stored).

#include "platform/ui/PropertySheet.h"

class CQuibBg_Frame;
class QLabel;
class QLineEdit;
class QListWidget;

class CQuibBg_BasicPage : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibBg_BasicPage(CQuibBg_Frame& frame);

    QLineEdit* NameEdit() const { return m_name; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;

private:
    void onNameEdited(const QString& text);

    CQuibBg_Frame& m_frame;
    QLineEdit* m_name = nullptr;
    QLabel* m_id = nullptr;
    QLabel* m_language = nullptr;
    QLineEdit* m_file = nullptr; // read only: a long path scrolls instead of being cut
    QLabel* m_updated = nullptr;
};

class CQuibBg_ULPage : public lumivo::ui::PropertyPage
{
public:
    explicit CQuibBg_ULPage(CQuibBg_Frame& frame);

    // Lists the user levels of the data files (translating) and of the user's file (editing).
    void FillList();
    QListWidget* List() const { return m_list; }

protected:
    void OnInitDialog(QWidget& page) override;
    bool DoDataExchange(bool save) override;

private:
    CQuibBg_Frame& m_frame;
    QListWidget* m_list = nullptr;
};
