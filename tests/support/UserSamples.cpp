#include "tests/support/UserSamples.h"

#include "core/Color.h"
#include "core/User.h"

#include <memory>

namespace lumivo::test
{

void SetEveryUserField(CQuibUser& user)
{
    user.Name = QString::fromUtf8("Søren Ærø");
    user.PrimaryLanguage = 10001;
    user.SecondLanguage = 2;
    user.FirstOutput = 3;
    user.SecondOutput = 4;
    user.Text1 = "secret";
    user.Text2 = "hint";
    user.Flags = CQuibUser::kFlagCompressor;
    user.UsePassword = 1;
    user.ScreenFlags = 0x0B;
    user.UserLevel = 1200;
    user.HighlightColor1 = 0x05010203;
    user.HighlightColor2 = 0x04040506;
    user.MainPane = {11, 0x03070809, 0x10};
    user.NavigatorPane = {12, 0x0307080A, 0x11};
    user.WordPane = {13, 0x0307080B, 0x12};
    user.WriterPane = {14, 0x0307080C, 0x13};
    user.InfoPane = {15, 0x0307080D, 0x14};
    user.MaxSentences = 25;
    user.BrowseColor = 0x03102030;
    user.BrowseFlags = 0x7777;
    user.BrowseFont = "-20,0,0,0,700,0,0,0,0,1,2,1,34,Arial,255";
    user.ProfileName = "Teachers";
    user.ProfileNumber = 4321;
    user.Sentences = {5, 9, 1000000007};
    user.CurrentSentence = 2;
    user.WindowRect = CRect(4, 5, 1004, 773);
    auto color = std::make_unique<CColor>();
    color->Set(0x00112233, 101, "Skin", 0x10000);
    user.ColorTable[101] = std::move(color);
    user.Voice1 = "danish";
    user.Voice2 = "english";
    user.PrintMode = 5031;
    user.PrintFit = 9372;
    user.PrintPageChoice = 9369;
    user.PrintPageSize = CSize(95, 60);
    user.PrintIconSize = CSize(120, 80);
    user.PrintValues = {1, 2, 3, 4, 5, 6};
    user.PrintHeader = "&lHeader";
    user.PrintFooter = "&rPage &p";
    user.PrintFont = "-13,0,0,0,400,1,0,0,0,3,2,1,18,Courier New,0";
    user.LetterHead = "&lOdense, d.&d&n";
    user.LetterEnd = "&cVenlig hilsen&nPer";
    user.SecondPrintMode = 5030;
    user.DeletedPicturesFolder = "/pictures/gone";
    user.PictureFolder = "/pictures";
    user.PictureFolder2 = "/more";
    user.EditOptions = 0x1234;
}

} // namespace lumivo::test
