#pragma once
// The world of the import tests: an output file translating into Danish, one data file with words,
// and media files on disk named after them.

#include "admin/ImportFramework.h"
#include "admin/OutputFileLife.h"
#include "core/ObjectIndex.h"
#include "core/Word.h"
#include "media/SoundFunctions.h"
#include "platform/ui/Ui.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QFileInfo>
#include <QImage>

#include <cmath>
#include <vector>

namespace lumivo::test
{

class ImportTest : public AdminFilesTest
{
protected:
    static constexpr std::uint16_t kDanish = 2;
    static constexpr std::uint16_t kEnglish = 8;

    void SetUp() override
    {
        AdminFilesTest::SetUp();
        startWithUserAndDataFile();
        {
            ui::ScopedAnswerer answerer;
            answerer.reply(tempPath(QStringLiteral("out.tvf")));
            ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
        }
        theTranslateLanguage = kDanish;
        theCurrentLanguage = kDanish;
        theSecondLanguage = kEnglish;
        theSearchLanguages = {kDanish, kEnglish};
        theActiveFiles = {m_data};
        QDir().mkpath(mediaPath({}));
    }

    // A word of the data file in `language`; the index is loaded again.
    void addWord(std::int32_t id, const QString& name, std::int16_t form = 0,
                 std::uint16_t language = kDanish)
    {
        CQuibWord word;
        word.WordName = name;
        word.WordForm = form;
        ASSERT_EQ(word.SaveAs(id, m_data, MakeWordType(std::int16_t(language))), RES_OK);
        ASSERT_EQ(word.Write(), RES_OK);
        CQuibObjIndex::LoadWords();
    }

    // A path below the media folder, its folder made.
    QString mediaPath(const QString& name) const
    {
        const QString path = tempPath(QStringLiteral("media/") + name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        return path;
    }

    // A picture file of the given size in the format its name says.
    QString writePicture(const QString& name, int width = 40, int height = 30)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 90));
        const QString path = mediaPath(name);
        EXPECT_TRUE(image.save(path)) << path.toStdString();
        return path;
    }

    // A WAVE file of a 440 Hz tone, 16-bit at 22,050 Hz.
    QString writeWave(const QString& name, int channels, int milliseconds = 200)
    {
        constexpr int rate = 22050;
        const int frames = rate * milliseconds / 1000;
        std::vector<std::uint8_t> samples;
        for (int frame = 0; frame < frames; ++frame) {
            const auto value = std::int16_t(8000 * std::sin(frame * 2 * 3.14159265 * 440 / rate));
            for (int channel = 0; channel < channels; ++channel) {
                samples.push_back(std::uint8_t(value & 0xFF));
                samples.push_back(std::uint8_t((value >> 8) & 0xFF));
            }
        }
        const QString path = mediaPath(name);
        EXPECT_TRUE(WriteWaveFile(
            path, WaveBlock(lumivo::wave::WaveFormat::pcm(channels, rate, 16), std::move(samples))));
        return path;
    }

    QString writeBytes(const QString& name, const QByteArray& bytes)
    {
        const QString path = mediaPath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    // Records not placed in any file (made up front and never stored) of a bare type.
    static int unplacedRecords(std::int32_t bareType)
    {
        std::vector<CResEntry*> records;
        CollectResources(&records, 0, bareType);
        return int(records.size());
    }
};

} // namespace lumivo::test
