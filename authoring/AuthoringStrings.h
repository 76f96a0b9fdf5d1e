#pragma once
// Ids of the system strings of the page editor, its sheet and the crop dialog, beyond the menus' and
// the shared messages' strings they show too. Both string tables hold every one.

constexpr int kStrBasicPageTab = 9750;
constexpr int kStrImagePageTab = 9751;
constexpr int kStrUserLevelPageTab = 9752;
constexpr int kStrWrittenText = 9753;
constexpr int kStrWordId = 9754;
constexpr int kStrLanguageLabel = 9755;
constexpr int kStrFileLabel = 9756;
constexpr int kStrLastUpdated = 9757;
constexpr int kStrSaveInDefaultLanguage = 9758;
constexpr int kStrUseBackgroundImages = 9759;
constexpr int kStrScreenSizeLabel = 9760;
constexpr int kStrCompressionLabel = 9761;
constexpr int kStrDimensionsLabel = 9762;
constexpr int kStrRawSizeLabel = 9763;
constexpr int kStrSizeLabel = 9764;
constexpr int kStrIdLabel = 9765;
constexpr int kStrImportedPicture = 9766;  // %1 path, %2 file size, %3 x %4 pixels
constexpr int kStrSaveListTitle = 9767;    // the report's save dialog
constexpr int kStrListFileFilter = 9768;   // in the "|"-separated form
constexpr int kStrImportFileFilter = 9769; // the same
constexpr int kStrExportFileFilter = 9770; // the same
constexpr int kStrCannotWriteFile = 9771;  // [#1] the file
constexpr int kStrCannotReadFile = 9772;   // [#1] the file
constexpr int kStrNoFreePageId = 9773;
constexpr int kStrCannotStorePage = 9774;   // [#1] the file
constexpr int kStrCannotReadPicture = 9775; // [#1] the picture file
constexpr int kStrUserLevelItem = 9776;     // %1 the level, 0 to 31
constexpr int kStrMediaFileTooLarge = 9777; // [#1] the file, %1 the most megabytes a record may hold
constexpr int kStrDamagedSoundFile = 9778;  // [#1] the sound file
constexpr int kStrCannotMovePicture = 9779; // [#1] the picture file the crop dialog could not throw away

// The wizards' own texts, beyond the shared ones they show too.
constexpr int kStrAdvancedButton = 9800;    // the appearance page's text-size button
constexpr int kStrNoFreeItemId = 9801;      // a new word, picture, clip or sound could not get an id
constexpr int kStrCannotEncodeMedia = 9802; // a picture or sound the store's format would not take
constexpr int kStrCannotReadMediaFile = kStrCannotReadFile;
constexpr int kStrCannotWriteRecord = kStrCannotWriteFile;
