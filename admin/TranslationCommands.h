#pragma once
// The translation tools the output-file commands open: the translation settings (the translation
// language and its record in the output file, the translation preferences) and the system-strings
// editor. Both are run modally; the command runs the pending reload steps afterwards.

// Command 5059, and 5052/5053 after an output file came or was opened without a known language.
void RunTranslateSettings();
// Command 5061, only while the translation language's record lives in the output file.
void RunSystemStrings();
