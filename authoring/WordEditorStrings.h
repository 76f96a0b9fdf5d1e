#pragma once
// Ids of the system strings of the word editor, its sheet and its list files, beyond the menus',
// prompts' and shared messages' strings and those it shares with the page editor
// (authoring/AuthoringStrings.h). Both string tables hold every one.

constexpr int kStrSoundPageTab = 9850;
constexpr int kStrAnimationPageTab = 9851;
constexpr int kStrWordClassLabel = 9852;
constexpr int kStrInflexionLabel = 9853;
constexpr int kStrBaseFormLabel = 9854;
constexpr int kStrDescriptionLabel = 9855;
constexpr int kStrFormsLabel = 9856;
constexpr int kStrDeletedBox = 9857;
constexpr int kStrTestChosen = 9858;
constexpr int kStrWordsRemoved = 9859;    // [#1] the number removed
constexpr int kStrImportManually = 9860;  // [#1] the name
constexpr int kStrCannotStoreWord = 9861; // [#1] the name and the store's code
constexpr int kStrNoFreeWordId = 9862;
constexpr int kStrUpdatingIndex = 9863;     // the progress window's caption
constexpr int kStrSaveWordListTitle = 9864; // the report's save dialog
constexpr int kStrPictureKindLabel = 9865;
constexpr int kStrStoredPictureData = 9866;
constexpr int kStrPictureOfThisWord = 9867;
constexpr int kStrStoredPictureFailed = 9868;
constexpr int kStrPreviewPictureData = 9869;
constexpr int kStrPreviewBasedOn = 9870; // %1 another size, %2 default or this, %3 another word
constexpr int kStrPreviewAnotherSize = 9871;
constexpr int kStrPreviewDefault = 9872;
constexpr int kStrPreviewThis = 9873;
constexpr int kStrPreviewFamilyWord = 9874;
constexpr int kStrNoPictureData = 9875;
constexpr int kStrNoPictureOfWord = 9876;
constexpr int kStrPictureData = 9877;
constexpr int kStrTransparentColorLabel = 9878;
constexpr int kStrBackgroundColorLabel = 9879;
constexpr int kStrSoundKindLabel = 9880;
constexpr int kStrImportedSound = 9881; // %1 the file, %2 its size
constexpr int kStrDurationLabel = 9882;
constexpr int kStrBitRateLabel = 9883;
constexpr int kStrSpeakerIdLabel = 9884;
constexpr int kStrPlayButton = 9885;
constexpr int kStrRecordButton = 9886;
constexpr int kStrAnimationKindLabel = 9887;
constexpr int kStrImportedClip = 9888; // %1 the file, %2 its size
constexpr int kStrStopButton = 9889;
constexpr int kStrAttachButton = 9890;
constexpr int kStrAuthorIdLabel = 9891;
constexpr int kStrAttachedFileLabel = 9892;
constexpr int kStrWordMediaNotStored = 9893; // %1 the items (joined), %2 the word, %3 the file
constexpr int kStrPictureItem = 9894;        // %1 the kind
constexpr int kStrSoundItem = 9895;          // %1 the kind
constexpr int kStrAnimationItem = 9896;      // %1 the kind
constexpr int kStrWordNotStored = 9897;      // [#1] the file; the change stays in the editor, unstored
