#include "media/SpeechEngine.h"

#include "media/SoundFunctions.h"
#include "platform/audio/Audio.h"
#include "platform/speech/ReaderProgram.h"
#include "store/Registry.h"
#include "store/Utility.h"
#include "system/LanguageRecords.h"
#include "system/SystemSettings.h"
#include "system/SystemStrings.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>

using namespace lumivo;

std::unique_ptr<CSpeechEngine> theSpeechEngine;

void ResetSpeechEngine()
{
    theSpeechEngine.reset();
}

bool SpeakWithVoice(const QString& voice, const QString& text)
{
    return theSpeechEngine && theSpeechEngine->SelectVoice(voice) >= 0 && theSpeechEngine->Speak(text) >= 0;
}

namespace
{

const QString readerKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\NorMedia\\Taleboka\\Speaker");
const QString readerValue = QStringLiteral("path");

} // namespace

CSpeechEngine::CSpeechEngine() = default;

CSpeechEngine::~CSpeechEngine()
{
    if (m_initThread.joinable())
        m_initThread.join();
    // Silenced without noting an end: a going engine leaves the program's sound state alone.
    if (m_utterance)
        m_utterance->stop();
    m_ready.store(false, std::memory_order_release);
}

// Stopwatch 5 times the start of speech and 6 runs on from it. The stopwatches belong to the
// user-interface thread, so the worker never touches them: the start is timed here and the end
// noted the first time this thread finds the engine ready.
void CSpeechEngine::StartTiming()
{
    ResetStopwatch(5);
    ResetStopwatch(6);
    StartStopwatch(5);
    StartStopwatch(6);
    m_timing = true;
}

bool CSpeechEngine::CheckReady()
{
    const bool ready = IsReady();
    if (ready && m_timing) {
        StopStopwatch(5);
        m_timing = false;
    }
    return ready;
}

void CSpeechEngine::StartInit()
{
    if (m_initThread.joinable())
        return;
    StartTiming();
    m_initThread = std::thread([this] { InitSynthesiser(); });
}

int CSpeechEngine::Init()
{
    StartTiming();
    const int result = InitSynthesiser();
    CheckReady();
    return result;
}

int CSpeechEngine::InitSynthesiser()
{
    if (!speech::initialise())
        return speechUnavailable;
    m_ready.store(true, std::memory_order_release);
    return speechOk;
}

QString CSpeechEngine::VoiceLanguageOf(int languageNumber)
{
    static const char* const codes[] = {"da", "da",    "da",    "sv", "nb", "nb", "fi",
                                        "is", "en-us", "en-gb", "de", "de", "fr", "nl"};
    if (languageNumber < 0 || languageNumber >= static_cast<int>(std::size(codes)))
        return QStringLiteral("da");
    return QString::fromLatin1(codes[languageNumber]);
}

QString CSpeechEngine::UserLanguage() const
{
    if (!m_userLanguage.isEmpty())
        return m_userLanguage;
    return VoiceLanguageOf(theCurrentLanguage != 0 ? theCurrentLanguage : theLanguageNo);
}

bool CSpeechEngine::SelectDefaultVoice()
{
    const QString language = UserLanguage();
    auto voice = speech::voiceForLanguage(language);
    if (!voice)
        voice = speech::voiceForLanguage(language.section(QLatin1Char('-'), 0, 0));
    if (!voice)
        voice = speech::voiceForLanguage(QStringLiteral("en"));
    if (!voice) {
        const auto all = speech::voices();
        if (all.empty())
            return false;
        voice = all.front();
    }
    m_voiceIdentifier = voice->identifier;
    m_kind = speechKindVoice;
    return true;
}

// The name selects nothing new: it is the voice selected last, and a stand-in for it still speaks
// the person's language.
bool CSpeechEngine::IsCurrentSelection(const QString& name) const
{
    if (m_kind == speechKindNone || name.compare(m_voiceName, Qt::CaseInsensitive) != 0)
        return false;
    return m_standInLanguage.isEmpty() || m_standInLanguage == UserLanguage();
}

int CSpeechEngine::SelectVoice(const QString& name)
{
    if (!CheckReady())
        return speechOk;
    if (name.isEmpty()) {
        // The default voice now speaks, so a later selection by name must not be taken as made.
        m_voiceName.clear();
        m_standInLanguage.clear();
        return SelectDefaultVoice() ? speechOk : speechNoVoiceAtAll;
    }
    if (IsCurrentSelection(name))
        return speechOk;
    m_standInLanguage.clear();
    if (const auto voice = speech::findVoice(name)) {
        m_voiceName = name;
        m_voiceIdentifier = voice->identifier;
        m_kind = speechKindVoice;
        return speechOk;
    }
    if (!SelectDefaultVoice()) {
        m_voiceName.clear();
        m_kind = speechKindNone;
        return speechNoVoiceAtAll;
    }
    m_standInLanguage = UserLanguage();
    const QString key = name.toLower();
    if (!m_unknownNamesNoted.contains(key)) {
        m_unknownNamesNoted.insert(key);
        WriteDebugLog(
            QStringLiteral("Speech: no voice is called \"%1\"; the default voice of \"%2\" speaks instead")
                .arg(name, UserLanguage()));
    }
    m_voiceName = name;
    return speechOk;
}

int CSpeechEngine::Speak(const QString& text)
{
    if (!CheckReady())
        return speakNotReady;
    if (m_kind == speechKindNone)
        return speakNoVoice;
    // A new word is heard at once: what the last one has not said yet is dropped.
    StopSpeaking();
    m_utterance = speech::speak(text, m_voiceIdentifier);
    if (!m_utterance)
        return speakFailed;
    m_spokenText = text;
    m_utterance->waitUntilDone(kSpeakWaitMs);
    if (m_utterance->synthesisDone() && m_utterance->failed()) {
        m_utterance.reset();
        return speakFailed;
    }
    if (m_utterance->isDone())
        NoteEnd();
    else
        NoteSoundTick(CurrentSoundTick()); // noted again when the speech ends
    return speakDone;
}

bool CSpeechEngine::IsSpeaking()
{
    if (!m_utterance)
        return false;
    if (!m_utterance->isDone())
        return true;
    NoteEnd();
    return false;
}

void CSpeechEngine::StopSpeaking()
{
    if (!m_utterance)
        return;
    m_utterance->stop();
    NoteEnd();
}

// The end of speech counts as the end of a sound: the pause before the next press is measured from it.
void CSpeechEngine::NoteEnd()
{
    const std::uint32_t end = m_utterance->endTick();
    NoteSoundTick(end != 0 ? end : CurrentSoundTick());
    m_utterance.reset();
}

int CSpeechEngine::GetVoiceCount() const
{
    if (!IsReady())
        return speechVoicesUnknown;
    return static_cast<int>(speech::voices().size());
}

QString CSpeechEngine::GetVoiceName(int n) const
{
    if (!IsReady() || n < 0)
        return {};
    const auto all = speech::voices();
    return n < static_cast<int>(all.size()) ? all[static_cast<std::size_t>(n)].name : QString();
}

// ---- The outside reader program -----------------------------------------------------------

QString CSpeechEngine::GetTalebokaPath()
{
    CRegistry registry;
    QString path;
    if (!registry.KeyExists(readerKey) || !registry.ValueExists(readerKey, readerValue) ||
        !registry.ReadString(readerKey, readerValue, path))
        return {};
    if (path.startsWith(QLatin1Char('"')))
        path.remove(0, 1);
    if (path.endsWith(QLatin1Char('"')))
        path.chop(1);
    return path;
}

bool CSpeechEngine::IsTalebokaInstalled()
{
    const QString path = GetTalebokaPath();
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString CSpeechEngine::GetTalebokaName()
{
    return IsTalebokaInstalled() ? QStringLiteral("Taleboka") : QString();
}

bool CSpeechEngine::SpeakWithTaleboka(const QString& text)
{
    if (text.isEmpty() || !IsTalebokaInstalled())
        return false;
    return speech::runReaderProgram(GetTalebokaPath(), {QStringLiteral("*"), text}, kReaderWaitMs) ==
           speech::ReaderResult::Finished;
}
