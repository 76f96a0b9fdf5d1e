#pragma once
// The one error type of the ZIP library: a cause code and the archive's path. Every failure inside the
// library is thrown as a CZipException; only a disk file that cannot be opened is reported as a
// ZipFileError (see ZipFile.h).

#include <QString>

#include <cstddef>
#include <exception>
#include <string>

class CZipException : public std::exception
{
public:
    // Causes 1 to 30 are the C library's error numbers (each has its text); those the library throws
    // itself are named here.
    enum Cause {
        noError = 0,
        ioError = 5,          // EIO
        badFileNumber = 9,    // EBADF: the file or storage is not open
        invalidArgument = 22, // EINVAL: a seek before the start
        tooLarge = 27,    // EFBIG: the archive or an entry would pass the 4 GiB of the format's 32-bit fields
        illegalSeek = 29, // ESPIPE: the file cannot be positioned there
        readOnlyFileSystem = 30, // EROFS: writing to a storage opened for reading
        generic = 100,
        badZipFile = 101,
        badCrc = 102,
        noCallback = 103,
        aborted = 104,
        abortedAction = 105,
        abortedSafely = 106,
        nonRemovable = 107,
        tooManyVolumes = 108,
        tooLongFileName = 109,
        badPassword = 110,
        dirWithSize = 111,
        internal = 112,
        notRemoved = 113,
        notRenamed = 114,
        platfNotSupp = 115,
        cdirNotFound = 116,
        streamEnd = 500,
        needDict = 501,
        errNo = 502,
        streamError = 503,
        dataError = 504,
        memError = 505,
        bufError = 506,
        versionError = 507
    };

    explicit CZipException(int cause = generic, const QString& fileName = {});

    const char* what() const noexcept override { return m_what.c_str(); }

    // The description of this exception's cause (no fallback to the system's error text).
    QString DescribeCause() const { return CauseText(m_iCause, true); }
    // Copies at most length - 1 bytes of the description (UTF-8) and a terminator; false when the
    // buffer is null, the length 0 or the description empty.
    bool GetErrorMessage(char* buffer, std::size_t length, unsigned* helpContext = nullptr) const;

    // The description of a cause. Codes without a text of their own are "Unknown error" when
    // `noFallback` is set, else the text of the last system error.
    static QString CauseText(int cause, bool noFallback);
    static QString DescribeSystemError();

    QString m_szFileName;
    int m_iCause;

private:
    std::string m_what;
};

[[noreturn]] void ThrowZipException(int cause, const QString& fileName = {});
int ZlibErrorToCause(int zlibResult);
