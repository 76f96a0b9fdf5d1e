// libFuzzer's entry for one target, chosen when the executable is built (LUMIVO_FUZZ_TARGET). A failed
// check of the target aborts, so that libFuzzer keeps the input. With LUMIVO_FUZZ_SEED_DIR set, the
// target's seeds are written there first, for scripts/fuzz to start the corpus from.

#include "tests/fuzz/FuzzTarget.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{

const lumivo::fuzz::FuzzTarget& theTarget()
{
    static const lumivo::fuzz::FuzzTarget* target = lumivo::fuzz::findFuzzTarget(LUMIVO_FUZZ_TARGET);
    if (!target) {
        std::fprintf(stderr, "no fuzz target named %s\n", LUMIVO_FUZZ_TARGET);
        std::abort();
    }
    return *target;
}

void writeSeeds(const QString& folder)
{
    QDir().mkpath(folder);
    int number = 0;
    for (const lumivo::fuzz::Bytes& seed : theTarget().seeds()) {
        QFile file(QStringLiteral("%1/seed-%2").arg(folder).arg(++number, 3, 10, QLatin1Char('0')));
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char*>(seed.data()), static_cast<qint64>(seed.size()));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::setenv("TZ", "Europe/Copenhagen", 1);
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(*argc, *argv);
    if (const char* folder = std::getenv("LUMIVO_FUZZ_SEED_DIR"))
        writeSeeds(QString::fromLocal8Bit(folder));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        theTarget().fuzzOne(data, size);
    } catch (const lumivo::fuzz::FuzzFailure& failure) {
        std::fprintf(stderr, "fuzz check failed: %s\n", failure.what());
        std::abort();
    }
    return 0;
}
