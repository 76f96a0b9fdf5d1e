#include "shell/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace
{

constexpr std::uint16_t kDanish = 2;

struct QtTextsState {
    std::unique_ptr<QTranslator> translator;
    std::uint16_t language = 0;
};

QtTextsState& state()
{
    static QtTextsState s;
    return s;
}

// Qt's translation of the language's texts, or none (English, or no translation installed).
std::unique_ptr<QTranslator> loadTranslation(std::uint16_t language)
{
    if (language != kDanish)
        return nullptr;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::Danish), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return translator;
}

} // namespace

void FollowLanguageInQtTexts(std::uint16_t language)
{
    QtTextsState& s = state();
    if (!QCoreApplication::instance() || s.language == language)
        return;
    ResetQtTexts();
    s.translator = loadTranslation(language);
    s.language = language;
    if (s.translator)
        QCoreApplication::installTranslator(s.translator.get());
}

void ResetQtTexts()
{
    QtTextsState& s = state();
    if (s.translator && QCoreApplication::instance())
        QCoreApplication::removeTranslator(s.translator.get());
    s.translator.reset();
    s.language = 0;
}
