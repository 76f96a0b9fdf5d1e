#include "admin/ImportCommands.h"

// The import framework and its five dialogs will live here (and in files of their own beside it).
void ImportWordPictures() {}
void ImportWordSounds() {}
void ImportWordClips() {}
void ImportTranslatedWords() {}
void ImportTranslatedPages() {}
