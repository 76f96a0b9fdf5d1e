#pragma once
// Qt's own texts in the program's language: the labels and buttons of its file, font and colour
// dialogs and the standard buttons of its message boxes come from Qt's translation of the system
// language, where the system has one installed (Debian: qt6-translations-l10n). English is Qt's own.

#include <cstdint>

// Installs Qt's translation for the system language (Danish for language 2) in place of the one
// installed before, or none for English. The reload sequence calls it whenever the language may have
// changed; dialogs made afterwards speak it.
void FollowLanguageInQtTexts(std::uint16_t language);

// Takes the translation out again.
void ResetQtTexts();
