#include "core/Sentence.h"

#include "core/PageEvents.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

IMPLEMENT_SERIAL(CQuibSentence, CObject, 1)

namespace
{

void serializeWords(CArchive& ar, std::vector<QString>& words)
{
    if (ar.IsStoring()) {
        ar.WriteCount(words.size());
        for (const QString& word : words)
            ar << word;
        return;
    }
    words.clear();
    for (std::size_t remaining = ar.ReadCount(); remaining > 0; --remaining) {
        QString word;
        ar >> word;
        words.push_back(word);
    }
}

} // namespace

CTime SentenceIntensionGate()
{
    return CTime(2002, 7, 30, 16, 34, 0);
}

CQuibSentence::CQuibSentence()
{
    m_owner = this;
}

CQuibSentence::~CQuibSentence()
{
    emit thePageEvents.sentenceAboutToBeDestroyed(this);
}

void CQuibSentence::Assign(const CQuibSentence* source)
{
    if (!source) {
        static_cast<CQuibSentenceSettings&>(*this) = CQuibSentenceSettings();
        Icons.clear();
        return;
    }
    static_cast<CQuibSentenceSettings&>(*this) = *source;
    Icons = CopyIconList(source->Icons);
}

void CQuibSentence::Exchange(bool store)
{
    ArchiveData(store);
}

std::int32_t CQuibSentence::GetType() const
{
    return m_entry ? m_entry->GetType() : MakeSentenceType(0);
}

void CQuibSentence::Serialize(CArchive& ar)
{
    CTime stamp = CTime::GetCurrentTime();
    if (ar.IsLoading())
        GetResourceTime(this, &stamp);
    SerializeStamped(ar, stamp);
}

void CQuibSentence::SerializeStamped(CArchive& ar, const CTime& stamp)
{
    if (ar.IsStoring()) {
        ar << SentenceFlags;
        serializeWords(ar, Words);
        SerializeObjectList(ar, Icons);
        ar << IntensionMarkerId;
        return;
    }
    // Read whole before anything changes: a stream that fails half-way leaves the sentence as it was.
    CQuibSentenceSettings read;
    CQuibIconList icons;
    ar >> read.SentenceFlags;
    serializeWords(ar, read.Words);
    SerializeObjectList(ar, icons);
    if (stamp.GetTime() > SentenceIntensionGate().GetTime())
        ar >> read.IntensionMarkerId;
    static_cast<CQuibSentenceSettings&>(*this) = read;
    Icons = std::move(icons);
}
