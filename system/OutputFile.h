#pragma once
// What the rest of the program reads of the output file and translation administration: the open
// output file, the language it translates into, the developer's test options, the pending steps of the
// reload sequence, and closing the output file. The output-file commands install their own closing
// into theCloseOutputFileHook.

#include "platform/types/Hook.h"

#include <cstdint>

extern int theOutputFile;                  // file number of the output file, 0 when none is open
extern std::uint16_t theTranslateLanguage; // language the output file translates into, 0 when none
extern std::uint16_t thePaneInfoFlags;     // the test menu's switch; bit 0x1: panes show their info label
extern std::uint32_t theSystemInitFlags;   // reload steps pending for the next reload

constexpr std::uint16_t kPaneInfoLabel = 0x1;
// The message that the output file ("[#1]") could not be saved and stays open with its changes.
constexpr int kMsgOutputFileNotSaved = 9501;

// Adds steps to the pending mask of the reload sequence.
void AddSystemInitFlags(std::uint32_t flags);

// Gives a file without a kind or data version (a new one) those of a data file of this program, 2.0.61,
// so that it opens again as the output file.
void StampAsDataFile(int file);
// Saves the output file when it was changed, stamped first (StampAsDataFile). The store's result,
// RES_OK when nothing was open or changed; a file that could not be saved stays changed.
int SaveChangedOutputFile();

// Closes the output file, asking first to save it when it was changed. Returns false when the person
// chose Cancel: the file then stays open with its changes, so nothing is lost.
bool CloseOutputFile();
// What CloseOutputFile runs; by default it asks, saves on Yes and keeps the file on Cancel.
extern lumivo::Hook<bool()> theCloseOutputFileHook;

// Empties these globals and puts the default handler back (tests).
void ResetOutputFileState();
