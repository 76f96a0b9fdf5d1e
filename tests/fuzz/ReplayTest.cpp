// Every input that ever made a fuzz target fail is kept under tests/fuzz/regressions/<target>/ and
// must pass now; and every target's own seeds (valid input made by the program) pass its checks.

#include "tests/fuzz/FuzzTarget.h"
#include "tests/support/LumivoTest.h"

#include <QDir>
#include <QFile>

namespace
{

using lumivo::fuzz::FuzzTarget;

const QString kRegressions = QStringLiteral(LUMIVO_SOURCE_DIR "/tests/fuzz/regressions");

void runInput(const FuzzTarget& target, const lumivo::fuzz::Bytes& input, const QString& what)
{
    SCOPED_TRACE(what.toStdString());
    try {
        target.fuzzOne(input.data(), input.size());
    } catch (const lumivo::fuzz::FuzzFailure& failure) {
        ADD_FAILURE() << target.name << ": " << failure.what();
    }
}

class FuzzReplayTest : public lumivo::test::LumivoTest
{
};

TEST_F(FuzzReplayTest, EveryKeptInputPasses)
{
    int replayed = 0;
    for (const FuzzTarget& target : lumivo::fuzz::fuzzTargets()) {
        const QDir folder(kRegressions + QLatin1Char('/') + QLatin1String(target.name));
        for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
            const QByteArray bytes = file.readAll();
            runInput(target, lumivo::fuzz::Bytes(bytes.begin(), bytes.end()),
                     QLatin1String(target.name) + QLatin1Char('/') + name);
            ++replayed;
        }
    }
    RecordProperty("replayed", replayed);
}

TEST_F(FuzzReplayTest, EveryTargetPassesItsOwnSeeds)
{
    ASSERT_FALSE(lumivo::fuzz::fuzzTargets().empty());
    for (const FuzzTarget& target : lumivo::fuzz::fuzzTargets()) {
        const std::vector<lumivo::fuzz::Bytes> seeds = target.seeds();
        EXPECT_FALSE(seeds.empty()) << target.name;
        for (std::size_t i = 0; i < seeds.size(); ++i)
            runInput(target, seeds[i], QStringLiteral("%1 seed %2").arg(QLatin1String(target.name)).arg(i));
    }
}

} // namespace
