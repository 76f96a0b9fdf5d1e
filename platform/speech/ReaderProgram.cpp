#include "platform/speech/ReaderProgram.h"

#include <QProcess>

namespace lumivo::speech
{

ReaderResult runReaderProgram(const QString& program, const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(qMin(timeoutMs, 10000)))
        return ReaderResult::NotStarted;
    // A reader that ended by crashing has still ended: only the bound counts as a failure here.
    process.waitForFinished(timeoutMs);
    if (process.state() == QProcess::NotRunning)
        return ReaderResult::Finished;
    process.kill();
    process.waitForFinished(1000);
    return ReaderResult::TimedOut;
}

} // namespace lumivo::speech
