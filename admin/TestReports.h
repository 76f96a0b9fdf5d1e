#pragma once
// The developer's reports over the loaded pages: where the selected icon's word is used, and which
// words on pages lack a recorded male or female sound.

#include <QString>

class CQuibIcon;
class CTime;

// The voices of the missing-sound report: the sound kinds of a word's recordings.
constexpr int kMaleVoiceKind = 1;
constexpr int kFemaleVoiceKind = 2;

// "Ordet "<word>" findes i <n> baggrunde : " followed by the names of the loaded pages that have an
// icon of the icon's word, joined by ", ".
QString WordUsageText(CQuibIcon& icon);
// Shows the usage text of the one selected icon; without exactly one selected icon it asks for one.
void WordUsageReport();

// The report of the distinct words on the loaded pages (in the order met) that have no sound of the
// voice kind, one name a line, under a header with the time `now`. CR LF line ends.
QString MissingSoundReportText(int voiceKind, const CTime& now);
// Asks where to save the report and writes it as 8-bit text. When it cannot be written the person is
// told and no part of a file is left.
void MissingSoundReport(int voiceKind);
