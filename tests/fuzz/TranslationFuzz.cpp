// The translators' text files: whatever bytes an import reads give lines without line ends, ids in
// range, and rows that an export writes so that they are read back with the same ids in the same order.

#include "admin/TranslationText.h"
#include "tests/fuzz/FuzzTarget.h"

#include <string>

namespace lumivo::fuzz::translation
{

namespace
{

void checkLines(const QByteArray& bytes)
{
    qsizetype previousEnd = 0;
    for (const TextFileLine& line : SplitTextFileLines(bytes)) {
        fuzzCheck(!line.text.isEmpty(), "an empty line was given");
        fuzzCheck(!line.text.contains('\n') && !line.text.contains('\r'), "a line kept a line end");
        fuzzCheck(line.end > previousEnd && line.end <= bytes.size(), "a line's end is out of order");
        previousEnd = line.end;
    }
}

void fuzzTranslationText(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    checkLines(bytes);
    const SystemStringsImport first = ParseSystemStringsImport(bytes);
    for (const SystemStringRow& row : first.rows)
        fuzzCheck(row.id >= 1 && row.id <= 0xFFFF, "an id out of range was taken: " + std::to_string(row.id));
    const SystemStringsImport second = ParseSystemStringsImport(FormatSystemStringsExport(first.rows));
    fuzzCheck(second.skippedIds.empty(), "an exported line was skipped on import");
    fuzzCheck(second.rows.size() == first.rows.size(), "an export does not give back every row");
    for (std::size_t index = 0; index < first.rows.size(); ++index)
        fuzzCheck(second.rows[index].id == first.rows[index].id, "an exported row came back with another id");
}

std::vector<Bytes> translationSeeds()
{
    const QByteArray text =
        FormatSystemStringsExport({{1003, QStringLiteral("[All files]"), QStringLiteral("Alle filer")},
                                   {9012, QStringLiteral("Open"), QStringLiteral("[Åbn]\tmed tab")},
                                   {65535, QString(), QString()}});
    return {Bytes(text.begin(), text.end()), Bytes{'7', '0', '0', '0', '0', '\t', 'x'}};
}

const FuzzTargetRegistration registration({"translation", &fuzzTranslationText, &translationSeeds});

} // namespace

} // namespace lumivo::fuzz::translation
