#pragma once
// Runs an outside program that reads text aloud: started directly with an argument list (never
// through a shell, so no character of the text can become a command), waited for with a bound.

#include <QString>
#include <QStringList>

namespace lumivo::speech
{

enum class ReaderResult { Finished, TimedOut, NotStarted };

// Starts `program` with `arguments` and waits at most `timeoutMs` for it to end. A reader still
// running at the bound is stopped, so no reader is left behind the program's back.
ReaderResult runReaderProgram(const QString& program, const QStringList& arguments, int timeoutMs);

} // namespace lumivo::speech
