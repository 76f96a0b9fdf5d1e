#pragma once
// The current user's settings applied to the running program: the panes' colours and start pages, the
// browse pane, the icons' highlight colours, the screen mode, the sound device's compressor, the
// deleted-pictures folder and the edit options. Runs at start-up and whenever the user or the user's
// settings change; running it twice changes nothing the second time.

void UpdateUserSettings();
