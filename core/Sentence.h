#pragma once
// A sentence: what the user gathers in the writer pane, a row of icons (copies of the icons picked) and
// the words as texts, with flags and the id of its intention sign. Stored as an archive stream in a
// record of type 'gc' in the user's file.

#include "core/Icon.h"
#include "platform/archive/Archive.h"
#include "platform/types/WinTypes.h"
#include "store/ResourceHandle.h"

#include <QRegion>
#include <QString>

#include <cstdint>
#include <vector>

// The intention sign of a sentence that names none.
constexpr std::int32_t kDefaultIntensionMarkerId = 2364;

// What a sentence copies besides its icons. Position, layout value and region belong to the writer
// pane's layout and are not stored.
struct CQuibSentenceSettings {
    std::uint16_t SentenceFlags = 0;
    std::vector<QString> Words;
    POINT Position{0, 0};
    std::int32_t LayoutValue = 0;
    std::int32_t IntensionMarkerId = kDefaultIntensionMarkerId;
    QRegion Region;

    bool operator==(const CQuibSentenceSettings& other) const
    {
        return SentenceFlags == other.SentenceFlags && Words == other.Words &&
               Position.x == other.Position.x && Position.y == other.Position.y &&
               LayoutValue == other.LayoutValue && IntensionMarkerId == other.IntensionMarkerId &&
               Region == other.Region;
    }
};

class CQuibSentence : public CMyRes, public CObject, public CQuibSentenceSettings
{
    DECLARE_SERIAL(CQuibSentence)

public:
    CQuibSentence();
    // Announces itself (sentenceAboutToBeDestroyed) before its icons go, so that what higher layers keep
    // of it (the clipboard's copy source) forgets it first.
    ~CQuibSentence() override;
    CQuibSentence(const CQuibSentence&) = delete;
    CQuibSentence& operator=(const CQuibSentence&) = delete;

    // Takes every field and copies of the icons (each of its own class); with none, empties the
    // sentence.
    void Assign(const CQuibSentence* source);

    void Exchange(bool store) override;
    void Serialize(CArchive& ar) override;
    std::int32_t GetType() const override;
    // The stream with the record's time stamp given: old records lack the intention sign.
    void SerializeStamped(CArchive& ar, const CTime& stamp);

    CQuibIconList Icons;
    // How far the writer pane has scrolled the row of icons, in pixels; never stored or copied.
    std::int32_t ScrollOffset = 0;

protected:
    void ResetToDefaults() override { Assign(nullptr); }
};

// The time from which sentence records carry their intention sign (records stamped strictly later).
CTime SentenceIntensionGate();
