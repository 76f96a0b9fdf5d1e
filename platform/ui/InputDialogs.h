#pragma once
// Two small modal dialogs: one line of text (optionally hidden as a password), and a page's width and
// height in millimetres. Both run through runModal, so tests answer them with a ScopedAnswerer; the
// dialog's fields carry object names a test's fill-in function finds them by.

#include <QString>

class QWidget;

namespace lumivo::ui
{

// Object names of the fields, for fill-in functions.
inline constexpr const char* kTextInputPromptName = "textInputPrompt"; // the label above the field
inline constexpr const char* kTextInputEditName = "textInputEdit";
inline constexpr const char* kPageWidthEditName = "pageWidthEdit";
inline constexpr const char* kPageHeightEditName = "pageHeightEdit";

} // namespace lumivo::ui

class CTextInputDlg
{
public:
    // Asks for one line of text under `title` with `prompt` above it, starting from `text`; a password
    // shows "*" for every character. On IDOK the edited text is copied back. Returns IDOK or IDCANCEL
    // (-1 when the dialog cannot be made). Without a parent the main window owns the dialog.
    static int AskText(const QString& title, const QString& prompt, QString& text, bool password,
                       QWidget* parent = nullptr);
};

// The page's width and height in millimetres (1 to 10,000 each); on IDOK both are copied back.
class CPageDimensionDlg
{
public:
    static int AskDimension(int& widthMm, int& heightMm, QWidget* parent = nullptr);
};
