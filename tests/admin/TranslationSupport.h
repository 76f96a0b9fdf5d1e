#pragma once
// What the translation tests share: an output file, a data file with language records, and reading a
// language record back from a file.

#include "admin/OutputFileLife.h"
#include "shell/Reload.h"
#include "store/ResourceTypes.h"
#include "system/LanguageRecords.h"
#include "system/OutputFile.h"
#include "tests/admin/AdminFilesTestSupport.h"

#include <QLineEdit>

#include <map>
#include <optional>

namespace lumivo::test
{

class TranslationTest : public AdminFilesTest
{
protected:
    void openOutputFile()
    {
        lumivo::ui::ScopedAnswerer answerer;
        answerer.reply(tempPath(QStringLiteral("out.tvf")));
        ASSERT_EQ(CreateOutputFile().error, OutputFileError::None);
        theSystemInitFlags = 0;
    }

    struct StoredLanguage {
        std::uint16_t language = 0;
        QString name;
        std::uint16_t base = 0;
        std::map<std::uint16_t, QString> strings;
    };

    // The language record `id` as `file` holds it, or nothing.
    static std::optional<StoredLanguage> storedRecord(int file, std::int32_t id)
    {
        if (!ResourceExists(id, RESTYPE_SYSTEM, file))
            return std::nullopt;
        CQuibSystem record;
        if (record.LoadFrom(id, file) != RES_OK)
            return std::nullopt;
        return StoredLanguage{record.m_language, record.m_name, record.m_baseLanguage, record.m_strings};
    }

    static void typeInto(QDialog& dialog, const char* field, const QString& text)
    {
        auto* edit = dialog.findChild<QLineEdit*>(QLatin1String(field));
        ASSERT_NE(edit, nullptr) << field;
        edit->setText(text);
    }
};

} // namespace lumivo::test
