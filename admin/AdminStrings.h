#pragma once
// The system strings of the resource editor and the developer's test menu and reports, by id, and the
// one way their printf-style texts are filled in.

#include <QString>

#include <initializer_list>

// The resource editor and its file-info dialog.
constexpr int kResEditorTitle = 9700;
constexpr int kResFileInfoTitle = 9701;
constexpr int kResEditorFileMenu = 9702;
constexpr int kResEditorEditMenu = 9703;
constexpr int kResEditorTestMenu = 9704;
constexpr int kResEditorNewItem = 9705;
constexpr int kResEditorOpenItem = 9706;
constexpr int kResEditorCloseItem = 9707;
constexpr int kResEditorSaveItem = 9708;
constexpr int kResEditorSaveAsItem = 9709;
constexpr int kResEditorFileInfoItem = 9710;
constexpr int kResEditorExitItem = 9711;
constexpr int kResEditorRebuildItem = 9712;
constexpr int kResEditorRemoveMarkedItem = 9713;
constexpr int kResEditorMoveMarkedItem = 9714;
constexpr int kResEditorAddTestItem = 9715;
constexpr int kResEditorIdLabel = 9716;
constexpr int kResEditorNameLabel = 9717;
constexpr int kResEditorTypeLabel = 9718;
constexpr int kResEditorSizeLabel = 9719;
constexpr int kResEditorSizeText = 9720; // "%d bytes"
constexpr int kAskSaveResourceText = 9721;
constexpr int kTypeFormatText = 9722;
constexpr int kRemovedResourcesText = 9723; // "Removed %d resources."
constexpr int kResFileInfoFileLabel = 9724;
constexpr int kResFileInfoSizeLabel = 9725;
constexpr int kResFileInfoCountLabel = 9726;
constexpr int kResFileInfoTypesLabel = 9727;
constexpr int kResFileInfoSizeText = 9728; // "%d Bytes = %d KBytes"
constexpr int kResEditorOpenTitle = 9740;
constexpr int kResEditorNewTitle = 9741;
constexpr int kResEditorNoFileText = 9742;
constexpr int kResEditorBadIdText = 9743;
constexpr int kResourceFilesText = 1002; // "<@APPNAME> data files"

// The test menu's reports.
constexpr int kWordUsageText = 9729; // "Ordet "%s" findes i %d baggrunde : "
constexpr int kMissingSoundTitle = 9730;
constexpr int kTextFilesText = 9731;
constexpr int kMissingSoundFileName = 9732; // "Missing sounds %s"
constexpr int kReportNotWrittenText = 9733; // "... [#1]"
constexpr int kSelectOneIconText = 9734;

// The resource editor's refusals (ResEditorError).
constexpr int kResourceTargetUsedText = 9735;
constexpr int kResourceInUseText = 9736;
constexpr int kResFileNotOpenedText = 9737; // "... [#1]"
constexpr int kResFileNotSavedText = 9738;  // "... [#1]"
constexpr int kStoreRefusedText = 9739;

// The text of `id` with its "%d" and "%s" fields filled by `values` in order. The fields are replaced
// as text, never given to printf: a text from a data file cannot make the program read past its
// arguments. Fields beyond the values stay as they are.
QString FillSystemString(int id, std::initializer_list<QString> values);
