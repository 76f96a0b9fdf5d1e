#include "tests/support/UserSamples.h"

#include "core/User.h"
#include "store/Color.h"

#include <memory>

namespace lumivo::test
{

namespace
{

CQuibUserColorTable sampleColorTable()
{
    auto color = std::make_unique<CColor>();
    color->Set(0x00112233, 101, "Skin", 0x10000);
    CQuibUserColorTable table;
    table[101] = std::move(color);
    return table;
}

} // namespace

CQuibUserSettings EveryUserSettingSet()
{
    CQuibUserSettings s;
    // One name per setting, in the order they are declared: a setting added to the user stops this
    // from compiling until it is given a sample value here.
    auto& [name, primaryLanguage, secondLanguage, firstOutput, secondOutput, text1, text2, flags, usePassword,
           screenFlags, userLevel, highlightColor1, highlightColor2, mainPane, navigatorPane, wordPane,
           writerPane, maxSentences, infoPane, browseColor, browseFlags, browseFont, profileName,
           profileNumber, sentences, currentSentence, windowRect, colorTable, voice1, voice2,
           wordDisplayFlags, printMode, printFit, printPageChoice, printPageSize, printIconSize, printValues,
           printHeader, printFooter, printFont, letterHead, letterEnd, secondPrintMode, deletedPicturesFolder,
           pictureFolder, pictureFolder2, editOptions] = s;
    name = QString::fromUtf8("Søren Ærø");
    primaryLanguage = 10001;
    secondLanguage = 2;
    firstOutput = 3;
    secondOutput = 4;
    text1 = "secret";
    text2 = "hint";
    flags = CQuibUser::kFlagCompressor;
    usePassword = 1;
    screenFlags = 0x0B;
    userLevel = 1200;
    highlightColor1 = 0x05010203;
    highlightColor2 = 0x04040506;
    mainPane = {11, 0x03070809, 0x10};
    navigatorPane = {12, 0x0307080A, 0x11};
    wordPane = {13, 0x0307080B, 0x12};
    writerPane = {14, 0x0307080C, 0x13};
    maxSentences = 25;
    infoPane = {15, 0x0307080D, 0x14};
    browseColor = 0x03102030;
    browseFlags = 0x7777;
    browseFont = "-20,0,0,0,700,0,0,0,0,1,2,1,34,Arial,255";
    profileName = "Teachers";
    profileNumber = 4321;
    sentences = {5, 9, 1000000007};
    currentSentence = 2;
    windowRect = CRect(4, 5, 1004, 773);
    colorTable = sampleColorTable();
    voice1 = "danish";
    voice2 = "english";
    wordDisplayFlags = 3; // not stored: a loaded user has the default, so the sample keeps it
    printMode = 5031;
    printFit = 9372;
    printPageChoice = 9369;
    printPageSize = CSize(95, 60);
    printIconSize = CSize(120, 80);
    printValues = {1, 2, 3, 4, 5, 6};
    printHeader = "&lHeader";
    printFooter = "&rPage &p";
    printFont = "-13,0,0,0,400,1,0,0,0,3,2,1,18,Courier New,0";
    letterHead = "&lOdense, d.&d&n";
    letterEnd = "&cVenlig hilsen&nPer";
    secondPrintMode = 5030;
    deletedPicturesFolder = "/pictures/gone";
    pictureFolder = "/pictures";
    pictureFolder2 = "/more";
    editOptions = 0x1234;
    return s;
}

void SetEveryUserField(CQuibUser& user)
{
    user.Settings() = EveryUserSettingSet();
}

} // namespace lumivo::test
