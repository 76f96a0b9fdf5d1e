#pragma once
// Crash loops with real kills. The running test starts this test program again as a child that runs
// the same test, which sees the variable LUMIVO_KILLED_CHILD and does the child's part: it sets up,
// says on its standard output that its work starts, waits for the parent's go on its standard input,
// works, says that it is done and ends at once. The parent kills it with SIGKILL at a random moment,
// spread over the time the work takes as measured beforehand: most kills land during the work, a few
// during the child's start and a few after its work. LUMIVO_KILLS sets the number of kills and
// LUMIVO_KILL_SEED the random sequence. A killed child reports nothing, to the sanitizers neither.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lumivo::test
{

namespace killed_child
{
constexpr char kVariable[] = "LUMIVO_KILLED_CHILD";
constexpr char kWorkStarts[] = "[killed child] work starts\n";
constexpr char kWorkDone[] = "[killed child] work done\n";

inline void say(const char* line)
{
    std::fflush(stdout);
    std::fputs(line, stdout);
    std::fflush(stdout);
}

inline int numberFromEnvironment(const char* name, int fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}
} // namespace killed_child

// Where the kill found the child.
enum class KillPhase { BeforeWork, DuringWork, AfterWork };

// In the child: the text its parent handed it. Empty in the parent.
inline QString killedChildArgument()
{
    const char* argument = std::getenv(killed_child::kVariable);
    return argument ? QString::fromLocal8Bit(argument) : QString();
}

// In the child: the work that the parent kills is about to start; returns when the parent has seen
// that and starts its clock, so that the time the parent takes to wake up does not delay its kills.
inline void reportWorkStarts()
{
    killed_child::say(killed_child::kWorkStarts);
    char go = 0;
    while (::read(STDIN_FILENO, &go, 1) < 0 && errno == EINTR) {
    }
}

// In the child: the work is done. The child ends at once, writing nothing more, as a kill would.
[[noreturn]] inline void reportWorkDone()
{
    killed_child::say(killed_child::kWorkDone);
    std::_Exit(0);
}

// The parent's side: runs the current test as a child with an argument, to its end or killed.
class KilledChild
{
public:
    // `argument` reaches the child through killedChildArgument(); the child keeps its temporary files
    // in `scratchFolder`, which the caller removes.
    KilledChild(const QString& argument, const QString& scratchFolder)
    {
        const ::testing::TestInfo& test = *::testing::UnitTest::GetInstance()->current_test_info();
        m_filter = QStringLiteral("--gtest_filter=%1.%2").arg(test.test_suite_name(), test.name());
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QLatin1String(killed_child::kVariable), argument);
        m_environment.insert(QStringLiteral("TMPDIR"), scratchFolder);
        m_scratchFolder = scratchFolder;
        const unsigned seed = static_cast<unsigned>(
            killed_child::numberFromEnvironment("LUMIVO_KILL_SEED", std::random_device{}()));
        m_random.seed(seed);
        ::testing::Test::RecordProperty("kill_seed", std::to_string(seed));
        std::printf("kill seed %u (LUMIVO_KILL_SEED)\n", seed);
    }

    // The number of kills a loop makes: LUMIVO_KILLS, or `fallback`.
    static int kills(int fallback) { return killed_child::numberFromEnvironment("LUMIVO_KILLS", fallback); }

    // Runs the child to its end without a kill, and takes the time its start and its work took; the
    // kills are spread over the middle times of the runs so far.
    void runToTheEnd()
    {
        Run run(*this);
        const qint64 started = run.startWork();
        ASSERT_GE(started, 0) << "the child never started its work:\n" << run.output();
        const qint64 done = run.waitFor(killed_child::kWorkDone);
        ASSERT_GE(done, 0) << "the child never finished its work:\n" << run.output();
        m_startTimes.push_back(started);
        m_workTimes.push_back(done - started);
    }

    // The middle of the measured times of the child's work, in microseconds.
    qint64 workTime() const { return middle(m_workTimes); }

    // Runs the child and kills it after a random delay: nine kills in ten during its work, the others
    // evenly during its start and after its work.
    KillPhase killAtRandom()
    {
        Run run(*this);
        std::uniform_real_distribution<double> spread(-0.05, 1.05);
        const double at = spread(m_random);
        if (at < 0) {
            sleepMicroseconds(
                static_cast<qint64>(static_cast<double>(middle(m_startTimes)) * (at + 0.05) / 0.05));
        } else {
            if (run.startWork() < 0)
                return run.fail("the child ended before its work started");
            sleepMicroseconds(static_cast<qint64>(static_cast<double>(middle(m_workTimes)) * at));
        }
        return run.kill();
    }

private:
    // One start of the child; killed and waited for when it goes.
    class Run
    {
    public:
        explicit Run(KilledChild& owner)
        {
            QDir().mkpath(owner.m_scratchFolder);
            m_process.setProcessEnvironment(owner.m_environment);
            m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_clock.start();
            m_process.start(QCoreApplication::applicationFilePath(), {owner.m_filter});
            m_process.waitForStarted(-1);
        }
        ~Run()
        {
            m_process.kill();
            m_process.waitForFinished(-1);
        }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;

        // Waits until the child is about to start its work and lets it go; microseconds from the start
        // until then, -1 when the child ended first.
        qint64 startWork()
        {
            if (waitFor(killed_child::kWorkStarts) < 0)
                return -1;
            m_process.write("g", 1);
            m_process.waitForBytesWritten(-1);
            return m_clock.nsecsElapsed() / 1000;
        }

        // Microseconds from the start until the child said `line`; -1 when it ended without it.
        qint64 waitFor(const char* line)
        {
            while (!m_output.contains(line)) {
                if (m_process.state() == QProcess::NotRunning && m_process.bytesAvailable() == 0)
                    return -1;
                m_process.waitForReadyRead(1000);
                m_output += m_process.readAllStandardOutput();
            }
            return m_clock.nsecsElapsed() / 1000;
        }

        KillPhase kill()
        {
            m_process.kill();
            m_process.waitForFinished(-1);
            m_output += m_process.readAllStandardOutput();
            if (m_output.contains(killed_child::kWorkDone))
                return KillPhase::AfterWork;
            if (m_process.exitStatus() != QProcess::CrashExit)
                return fail("the child ended by itself before its work was done");
            return m_output.contains(killed_child::kWorkStarts) ? KillPhase::DuringWork
                                                                : KillPhase::BeforeWork;
        }

        KillPhase fail(const char* what)
        {
            m_process.waitForFinished(-1);
            m_output += m_process.readAllStandardOutput();
            ADD_FAILURE() << what << ":\n" << output();
            return KillPhase::AfterWork;
        }

        std::string output() const { return m_output.toStdString(); }

    private:
        QProcess m_process;
        QElapsedTimer m_clock;
        QByteArray m_output;
    };

    static qint64 middle(std::vector<qint64> times)
    {
        if (times.empty())
            return 0;
        std::nth_element(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2),
                         times.end());
        return times[times.size() / 2];
    }

    static void sleepMicroseconds(qint64 microseconds)
    {
        std::this_thread::sleep_for(std::chrono::microseconds(std::max<qint64>(microseconds, 0)));
    }

    QString m_filter;
    QProcessEnvironment m_environment;
    QString m_scratchFolder;
    std::mt19937 m_random;
    std::vector<qint64> m_startTimes;
    std::vector<qint64> m_workTimes;
};

} // namespace lumivo::test
