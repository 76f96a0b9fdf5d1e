#pragma once
// Small pieces the administration's dialogs share: the main window as their owner, texts from the
// system strings, and the standard button rows. Every text is a system string in the current language.

#include <QString>

#include <initializer_list>

class QDialog;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QWidget;

namespace lumivo::admin
{

// The main window, which owns every dialog of this folder; none in tests without a frame.
QWidget* dialogOwner();

// A label with system string `id` (flags of LoadSystemString), for the field `buddy` when given.
QLabel* labelOf(int id, QWidget* buddy = nullptr, int flags = 0);
// A push button with system string `id` and an object name for tests.
QPushButton* buttonOf(int id, const char* objectName, QWidget* parent);

// Shows a file's path in `label` whole: on one line when it fits in half the screen's width, else
// broken after its slashes within that width, so that the window never grows past the screen.
void showPathWrapped(QLabel& label, const QString& path);

// OK and Cancel (Qt's own texts in the program's language): OK is the default button and accepts,
// Cancel and Escape reject.
QDialogButtonBox* okCancelButtons(QDialog& dialog);
// OK alone.
QDialogButtonBox* okButton(QDialog& dialog);

// Tab goes through the widgets in the order given (the dialog's buttons follow the last).
void chainTabOrder(std::initializer_list<QWidget*> widgets);

// The file dialogs' filter of the program's resource files, "<@APPNAME> data files (*.tvf)", with "All
// files (*.*)" after it when asked.
QString dataFileFilter(bool withAllFiles = false);

// Writes the settings that an OK has just set to disk at once. When they could not be written (or
// `set` says that setting one failed already), says so, naming the settings file, and gives false: the
// OK must then confirm nothing that depends on them.
bool storeSettingsOrSay(bool set = true);

// A text's "%d" fields filled in order with `numbers`. Texts can come from a data file's language
// record, so no printf ever reads one: a field there is no numbers for stays as it is.
QString withNumbers(QString text, std::initializer_list<int> numbers);

} // namespace lumivo::admin
