#include "authoring/WordForms.h"

#include "system/SystemStrings.h"

#include <algorithm>
#include <array>

namespace
{

constexpr int kFirstClassText = 1110; // 1110 + class number names classes 0 to 8
constexpr int kLastNamedClass = 0x8000;

// One row of the inflexion table: a class and the names of its inflexions 0x100 to 0x400 and 0xF00
// (nullptr where the class has none).
struct InflexionRow {
    int wordClass;
    std::array<const char*, 5> names;
};

constexpr const char* kOther = "anden form";

constexpr InflexionRow kRows[] = {
    {0x1000, {"ental ubestemt = grundform", "ental bestemt", "flertal ubestemt", "flertal bestemt", kOther}},
    {0x2000, {"navnemåde = grundform", "nutid", "datid", nullptr, kOther}},
    {0x3000, {"grundform", nullptr, nullptr, nullptr, kOther}},
    {0x4000, {"grundform", nullptr, nullptr, nullptr, kOther}},
    {0x5000, {"1. grad = grundform", "2. grad", "3. grad", nullptr, kOther}},
    {0x6000, {"grundform", nullptr, nullptr, nullptr, kOther}},
    {0x7000, {"grundform", nullptr, nullptr, nullptr, kOther}},
    {0x8000, {"talord", "udråbsord", nullptr, nullptr, nullptr}},
};

// The column of an inflexion in a row, or -1.
int columnOf(int inflexion)
{
    if (inflexion >= 0x100 && inflexion <= 0x400)
        return inflexion / 0x100 - 1;
    return inflexion == kOtherForm ? 4 : -1;
}

const InflexionRow* rowOf(int wordClass)
{
    const auto found = std::find_if(std::begin(kRows), std::end(kRows), [wordClass](const InflexionRow& row) {
        return row.wordClass == wordClass;
    });
    return found == std::end(kRows) ? nullptr : found;
}

} // namespace

int WordClassOf(std::int16_t form)
{
    return std::uint16_t(form) & kWordClassMask;
}

int InflexionOf(std::int16_t form)
{
    return std::uint16_t(form) & kInflexionMask;
}

QString WordClassName(std::int16_t form)
{
    const int wordClass = WordClassOf(form);
    if (wordClass > kLastNamedClass)
        return {};
    return LoadSystemString(kFirstClassText + wordClass / 0x1000);
}

QString FormName(std::int16_t form)
{
    const int column = columnOf(InflexionOf(form));
    if (column < 0)
        return {};
    if (const InflexionRow* row = rowOf(WordClassOf(form))) {
        const char* name = row->names[std::size_t(column)];
        return name ? QString::fromUtf8(name) : QString();
    }
    // Class 0 and the classes above 0x8000: the base form is named as class 0, and there is another form.
    if (InflexionOf(form) == kBaseForm)
        return WordClassName(0);
    return InflexionOf(form) == kOtherForm ? QString::fromUtf8(kOther) : QString();
}

std::vector<int> WordClasses()
{
    std::vector<int> classes;
    for (int wordClass = 0; wordClass <= kLastNamedClass; wordClass += 0x1000)
        classes.push_back(wordClass);
    return classes;
}

std::vector<int> InflexionsOfClass(int wordClass)
{
    const InflexionRow* row = rowOf(wordClass);
    if (!row)
        return {kBaseForm};
    std::vector<int> inflexions;
    for (const int inflexion : {0x100, 0x200, 0x300, 0x400, kOtherForm})
        if (row->names[std::size_t(columnOf(inflexion))])
            inflexions.push_back(inflexion);
    return inflexions;
}
