#pragma once
// The ids of the system strings the import dialogs add (9650 to 9678, and 9625 to 9631 for the
// imports of translated names).

namespace import_strings
{

constexpr int kPictureTitle = 9650;
constexpr int kSoundTitle = 9651;
constexpr int kClipTitle = 9652;
constexpr int kImportFiles = 9653;
constexpr int kImportFolder = 9654;
constexpr int kSaveLog = 9655;
constexpr int kClose = 9656;
constexpr int kOverwritePictures = 9657;
constexpr int kOverwriteSounds = 9658;
constexpr int kOverwriteClips = 9659;
constexpr int kLookInSubfolders = 9660;
constexpr int kSkipWhenElsewhere = 9661;
constexpr int kChooseFolder = 9662;
constexpr int kMsgNoOutputFile = 9663;
constexpr int kSaveLogTitle = 9664;
constexpr int kImageType = 9665;
constexpr int kCompression = 9666;
constexpr int kDefaultLanguage = 9667;
constexpr int kAdjustImage = 9668;
constexpr int kAsItIs = 9669;
constexpr int kResize = 9670;
constexpr int kCrop = 9671;
constexpr int kSoundType = 9672;
constexpr int kAuthorId = 9673;
constexpr int kClipType = 9674;
constexpr int kChromaKey = 9675;
constexpr int kBackground = 9676;
constexpr int kMsgLogNotWritten = 9677;
constexpr int kLogLabel = 9678;
constexpr int kWordTextTitle = 9625;
constexpr int kPageTextTitle = 9626;
constexpr int kImportFile = 9627;
constexpr int kOverwriteWords = 9628;
constexpr int kOverwritePages = 9629;
constexpr int kWordTextFormat = 9630;
constexpr int kPageTextFormat = 9631;

// Strings the tables held already.
constexpr int kAllFiles = 1003;
constexpr int kOpenFileTitle = 9012;

} // namespace import_strings
