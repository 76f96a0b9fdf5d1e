#include "core/IconEvents.h"

#include "core/Icon.h"
#include "core/IconEditing.h"
#include "core/Lookups.h"
#include "core/ObjectIndex.h"
#include "core/PageEvents.h"
#include "core/Sound.h"
#include "core/User.h"
#include "core/Word.h"
#include "media/SpeechEngine.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

std::vector<CQuibIcon*> theSelectedIcons;
CQuibIcon* theHoverIcon = nullptr;

void ResetIconEvents()
{
    theSelectedIcons.clear();
    theHoverIcon = nullptr;
}

void SetHoverIcon(CQuibIcon* icon)
{
    CQuibIcon* previous = std::exchange(theHoverIcon, icon);
    if (previous != icon)
        emit thePageEvents.hoverChanged(icon, previous);
}

void ForgetIcon(const CQuibIcon* icon)
{
    std::erase(theSelectedIcons, icon);
    if (theHoverIcon == icon)
        SetHoverIcon(nullptr);
    emit thePageEvents.iconAboutToBeDestroyed(icon);
}

void CQuibIcon::Redraw(bool /*erase*/)
{
    emit thePageEvents.iconChanged(this);
}

void CQuibIcon::Select()
{
    if (Flags & kIconNotSelectable) {
        Redraw(false);
        return;
    }
    if (std::ranges::find(theSelectedIcons, this) == theSelectedIcons.end())
        theSelectedIcons.push_back(this);
    const bool nothingToShow = WordId == 0 && PictId == 0 && Name.isEmpty();
    if (theEditTool != kEditToolBrowse)
        Flags |= kIconHandles | kIconSelected;
    else if (!nothingToShow)
        Flags |= kIconSelected;
    ShownWordId = WordId;
    emit thePageEvents.selectionChanged();
    if (Flags & kIconVisible)
        Redraw(false);
}

void CQuibIcon::Deselect()
{
    std::erase(theSelectedIcons, this);
    Flags &= ~(kIconSelected | kIconEntered | kIconHandles);
    theLastSoundTick = 0; // the next long press may activate at once
    if (Flags & kIconVisible)
        Redraw(false);
    ShownWordId = WordId;
    Sound.reset();
    emit thePageEvents.selectionChanged();
    StopSound();
}

namespace
{

// Event names go to the status bar only for developers.
void noteEvent(const char* name)
{
    if (theProgramMode & kProgramModeDeveloper)
        SetStatusText(QString::fromLatin1(name));
}

// Output-setting bits: the external reader, or speech with the setting's voice; any other value is
// the kind of a recorded sound.
constexpr int kOutputReader = 0x10;
constexpr int kOutputSpeech = 0xC0;
// The kind of an icon's own and its word's recorded sound.
constexpr int kOwnSoundKind = 5;
// Spoken text leaves out the suffix after '#' and the layout characters.
constexpr int kSpokenTextFlags = kWordTextCutSuffix | kWordTextDropLayoutChars;

// Plays the sound as the icon's kept sound; false when there is none or it did not play.
bool keepAndPlay(CQuibIcon& icon, std::unique_ptr<CQuibSound> sound)
{
    icon.Sound = std::move(sound);
    return icon.Sound && icon.Sound->Play();
}

// The text of word `wordId` as spoken: the icon's loaded word when it is that word, else the word
// found by id (a shown inflexion speaks itself, not the word it steps from; an icon whose label kept
// its word from being loaded still speaks the word).
QString spokenText(const CQuibIcon& icon, std::int32_t wordId)
{
    if (wordId == 0)
        return {};
    if (wordId == icon.WordId && icon.Word)
        return WordDisplayText(icon.Word->WordName, kSpokenTextFlags);
    std::unique_ptr<CQuibWord> shown = FindWordById(wordId);
    if (!shown || shown->Load() < 0)
        return {};
    return WordDisplayText(shown->WordName, kSpokenTextFlags);
}

// One output setting of the user: true when something was read, spoken or played.
bool playBySetting(CQuibIcon& icon, int setting, const QString& voice, const QString& text,
                   std::int32_t wordId)
{
    if (setting & kOutputReader) {
        if (!CSpeechEngine::SpeakWithTaleboka(text))
            return false;
        NoteSoundTick(CurrentSoundTick());
        return true;
    }
    if (setting & kOutputSpeech)
        return !text.isEmpty() && SpeakWithVoice(voice, text);
    if (!icon.Sound) {
        const std::int32_t id = icon.SoundId != 0 ? icon.SoundId : wordId;
        if (id != 0)
            icon.Sound = FindSoundById(id, setting);
    }
    return icon.Sound && icon.Sound->Play();
}

// The steps of activation up to the message: the own sound, the word's sound, then the user's output
// settings in turn; a shown inflexion with nothing to play falls back once to the icon's own word.
bool playActivation(CQuibIcon& icon, std::int32_t wordId)
{
    bool played = false;
    if (icon.SoundId != 0) {
        icon.Sound.reset();
        played = keepAndPlay(icon, FindSoundById(icon.SoundId, kOwnSoundKind));
    }
    // A kept sound (the own one that failed, or one found by an earlier activation) is not played
    // here again: the output settings decide about it.
    if (!played && !icon.Sound && wordId != 0) {
        if (auto found = FindSoundById(wordId, kOwnSoundKind))
            played = keepAndPlay(icon, std::move(found));
    }
    const QString text = played || icon.ShownWordId == 0 ? QString() : spokenText(icon, wordId);
    if (!played && theCurrentUser)
        played = playBySetting(icon, theCurrentUser->FirstOutput, theCurrentUser->Voice1, text, wordId);
    if (!played && theCurrentUser && theCurrentUser->SecondOutput != 0)
        played = playBySetting(icon, theCurrentUser->SecondOutput, theCurrentUser->Voice2, text, wordId);
    if (!played && wordId != icon.WordId && icon.WordId != 0)
        played = playActivation(icon, icon.WordId);
    return played;
}

// The family a word belongs to: its one family entry, or the word itself.
std::int32_t familyKeyOf(const CQuibIcon& icon)
{
    if (icon.Word && icon.Word->FamilyList.size() == 1)
        return icon.Word->FamilyList.front();
    return icon.WordId;
}

// The family key, then every indexed word whose family starts with it, in id order, each once.
std::vector<std::int32_t> familyMembers(std::int32_t key)
{
    std::set<std::int32_t> members;
    theWordIndex.ForEach([&](std::int32_t id, CMyRes* object) {
        const auto* word = dynamic_cast<const CQuibWord*>(object);
        if (word && !word->FamilyList.empty() && word->FamilyList.front() == key && id != key)
            members.insert(id);
    });
    std::vector<std::int32_t> list{key};
    list.insert(list.end(), members.begin(), members.end());
    return list;
}

} // namespace

bool CQuibIcon::OnInside()
{
    noteEvent("OnInside");
    if (LinkId >= 1)
        SetAppCursor(0); // the link cursor's next frame
    return true;
}

bool CQuibIcon::OnEnter()
{
    noteEvent("OnEnter");
    if (WordId != 0)
        Flags |= kIconEntered;
    Redraw(false);
    return true;
}

bool CQuibIcon::OnLeave()
{
    noteEvent("OnLeave");
    Flags &= ~kIconEntered;
    Redraw(false);
    return true;
}

bool CQuibIcon::OnLLongDown()
{
    noteEvent("OnLLongDown");
    // A press held through a sound, or right after one, is no new request to hear it.
    if (IsSoundPlaying() || GetSoundElapsedMs() < kLongPressSoundGapMs)
        return true;
    return Activate(0);
}

bool CQuibIcon::Activate(std::int32_t wordId)
{
    if (wordId == 0)
        wordId = ShownWordId;
    if (IsSoundPlaying())
        return true;
    if (!playActivation(*this, wordId)) {
        SetStatusText(QString::fromUtf8(kNoSoundText));
        SetAppCursor(CURSOR_ARROW);
    }
    return true;
}

bool CQuibIcon::FollowLink()
{
    if (LinkId == 0)
        return false;
    emit thePageEvents.linkRequested(LinkId);
    return true;
}

void CQuibIcon::NextInflexion(bool takeAsWord)
{
    if (!Word)
        ReloadWord(false);
    const std::int32_t familyKey = familyKeyOf(*this);
    if (familyKey == 0)
        return; // an icon without a word has no inflexions
    const std::vector<std::int32_t> list = familyMembers(familyKey);
    const auto shown = std::ranges::find(list, ShownWordId);
    const std::int32_t next = shown == list.end() || shown + 1 == list.end() ? list.front() : *(shown + 1);
    if (next != ShownWordId) {
        // The cached picture is the word's shown before; the next paint looks for the new one.
        CachedBitmap = QImage();
        PictCacheData = QImage();
    }
    ShownWordId = next;
    Sound.reset(); // it belonged to the word shown before
    if (takeAsWord)
        WordId = ShownWordId;
    // The word is reloaded before the repaint, so that the new picture is looked for.
    ReloadWord(true);
    Redraw(true);
    emit thePageEvents.selectionChanged();
}
