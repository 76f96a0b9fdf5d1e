#pragma once
// The speech engine: speaks a word's text with a voice chosen by name, when the word has no recorded
// sound. It is made on the application's first idle pass and starts the synthesiser on a thread of
// its own; until that thread has finished, the engine is not ready and speaks nothing (and says so).
// Beside it stand the functions for the outside reader program a person may choose instead.

#include "platform/archive/RuntimeClass.h"
#include "platform/speech/Speech.h"

#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

// Results of Speak below 0: nothing was handed to a synthesiser.
enum SpeakResult : int {
    speakDone = 0,
    speakNotReady = -1,
    speakNoVoice = -2,
    speakFailed = -3,
};

// Results of Init and SelectVoice, and the voice count before the engine is ready.
enum SpeechEngineResult : int {
    speechOk = 0,
    speechUnavailable = -1,   // Init: the synthesiser could not be started
    speechNoVoiceAtAll = -1,  // SelectVoice: neither the named voice nor a default voice exists
    speechVoicesUnknown = -1, // GetVoiceCount: the engine is not ready yet
};

// Engine kinds: no voice selected, or a voice of the synthesiser.
enum SpeechEngineKind : int {
    speechKindNone = 0,
    speechKindVoice = 5,
};

class CSpeechEngine : public CObject
{
public:
    // How long Speak waits for speech to end before it returns while the speech goes on.
    static constexpr int kSpeakWaitMs = 3000;
    // How long SpeakWithTaleboka waits for the reader.
    static constexpr int kReaderWaitMs = 300000;

    CSpeechEngine();
    ~CSpeechEngine() override;
    CSpeechEngine(const CSpeechEngine&) = delete;
    CSpeechEngine& operator=(const CSpeechEngine&) = delete;

    // Starts the synthesiser on a worker thread and returns at once.
    void StartInit();
    // Starts the synthesiser on the calling thread: speechOk when speech is available, else
    // speechUnavailable.
    int Init();
    bool IsReady() const { return m_ready.load(std::memory_order_acquire); }

    // Speaks the whole text with the selected voice: 0 when a synthesiser took it and made sound, a
    // negative SpeakResult otherwise. Waits for the end at most kSpeakWaitMs; longer speech goes on.
    int Speak(const QString& text);
    // Selects a voice by name without regard to case. A name that no installed voice has (such as a
    // voice of another system, stored in a person's settings) selects the default voice of the
    // person's language instead, so speech never falls silent over a name. speechOk, or
    // speechNoVoiceAtAll when there is no voice at all.
    int SelectVoice(const QString& name);
    // speechVoicesUnknown until ready.
    int GetVoiceCount() const;
    QString GetVoiceName(int n) const;
    bool IsSpeaking();
    // The stopped speech ends at once.
    void StopSpeaking();

    int GetEngineKind() const { return m_kind; }
    const QString& GetCurrentVoiceName() const { return m_voiceName; }
    // The synthesiser's key of the voice that speaks now.
    const QString& GetCurrentVoiceIdentifier() const { return m_voiceIdentifier; }
    // The text the synthesiser took last; empty before the first.
    const QString& GetSpokenText() const { return m_spokenText; }
    // The language whose default voice stands in for an unknown name ("da", "en-gb", ...); empty
    // means the person's own language (the current language, else the system language).
    void SetUserLanguage(const QString& language) { m_userLanguage = language; }
    // The synthesiser's language code for one of the program's language numbers; Danish for others.
    static QString VoiceLanguageOf(int languageNumber);

    static bool IsTalebokaInstalled();
    static QString GetTalebokaName();
    static bool SpeakWithTaleboka(const QString& text);
    static QString GetTalebokaPath();

private:
    int InitSynthesiser();
    void StartTiming();
    bool CheckReady();
    bool SelectDefaultVoice();
    bool IsCurrentSelection(const QString& name) const;
    QString UserLanguage() const;
    void NoteEnd();

    std::atomic<bool> m_ready{false};
    std::thread m_initThread;
    bool m_timing = false;
    QString m_voiceName;
    QString m_voiceIdentifier;
    QString m_spokenText;
    int m_kind = speechKindNone;
    QString m_userLanguage;
    // The language whose default voice speaks for the current name, when no installed voice has it.
    QString m_standInLanguage;
    QSet<QString> m_unknownNamesNoted;
    std::shared_ptr<lumivo::speech::Utterance> m_utterance;
};

extern std::unique_ptr<CSpeechEngine> theSpeechEngine;
// Icon activation's speech: the program's engine selects the voice and speaks the text. True only when
// both succeeded, so that a failed speech goes on to the next output setting; false without an engine
// or before it is ready.
bool SpeakWithVoice(const QString& voice, const QString& text);
// Deletes the program's speech engine, as at exit.
void ResetSpeechEngine();
