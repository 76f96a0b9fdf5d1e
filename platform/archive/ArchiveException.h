#pragma once
// The one error of the archive streams: the stream ended early, or it holds something that cannot be
// what was written (an unknown class, a wrong schema, an index that points nowhere). The handle
// layer catches it and reports the record as unreadable.

#include <QString>

#include <stdexcept>

class CArchiveException : public std::runtime_error
{
public:
    enum Cause {
        none,
        genericException,
        readOnly,  // writing to a loading archive
        endOfFile, // the stream ended in the middle of a value
        writeOnly, // reading from a storing archive
        badIndex,  // an object or class tag that refers to nothing read so far
        badClass,  // a class name nobody registered, or of the wrong kind
        badSchema, // a registered class written with another schema

        // The further meanings of a cause, each with its own name and the cause's value.
        usedAfterClose = genericException,
        countTooLarge = genericException,   // a count beyond what the stream can hold
        seekBeforeStart = genericException, // a seek before the start of a memory file
        tooManyObjects = badIndex,          // more objects than one archive can tag
        nestedTooDeeply = badIndex,
    };

    explicit CArchiveException(Cause cause, const QString& detail = {});

    Cause m_cause;
};
