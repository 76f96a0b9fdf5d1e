#pragma once
// System strings of the user-settings sheet that the sheet's own design adds (the others are the
// numbers the pages name where they use them).

constexpr int kTextMaxSentences = 9550;       // the label of the writer pane's sentence maximum
constexpr int kTextExtraAmplification = 9551; // the Voice page's amplification box
constexpr int kTextEngineDefaultVoice = 9552; // the speech engine's default voice in the voice lists
constexpr int kTextVoiceNotInstalled = 9553;  // a stored voice that is not installed
constexpr int kTextChooseFolder = 9554;       // what the folder buttons of the main pane page do
constexpr int kMsgUserFileNotMoved = 9555;    // the reset could not move the user file ([#1] the file)
constexpr int kMsgUserNotReset = 9556;        // the reset could not replace the user file ([#1] the file)
