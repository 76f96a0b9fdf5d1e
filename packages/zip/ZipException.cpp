#include "packages/zip/ZipException.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{

const char* fixedText(int cause)
{
    switch (cause) {
    case 1:
        return "Not super-user";
    case 2:
        return "No such file or directory";
    case 4:
        return "Interrupted system call";
    case 5:
        return "I/O error";
    case 6:
        return "No such device or address";
    case 9:
        return "Bad file number";
    case 12:
        return "Not enough space";
    case 13:
        return "Permission denied";
    case 14:
        return "Bad address";
    case 17:
        return "File exists";
    case 18:
        return "Cross-device link";
    case 19:
        return "No such device";
    case 20:
        return "Not a directory";
    case 21:
        return "Is a directory";
    case 22:
        return "Invalid argument";
    case 23:
        return "File table overflow";
    case 24:
        return "Too many open files";
    case 27:
        return "File too large";
    case 28:
        return "No space left on device";
    case 29:
        return "Illegal seek";
    case 30:
        return "Read-only file system";
    case 101:
        return "Damaged or not a zip file";
    case 102:
        return "Crc mismatched";
    case 103:
        return "No disk-spanning callback functor set";
    case 104:
        return "Disk change aborted";
    case 105:
        return "Action aborted";
    case 106:
        return "Action aborted safely";
    case 107:
        return "The device selected for the disk spanning archive is non removable";
    case 108:
        return "Limit of the maximum volumes reached (999)";
    case 109:
        return "The filename of the file being added to the archive is too long";
    case 110:
        return "Incorrect password set for the file being decrypted";
    case 111:
        return "During testing found the directory with the size greater than 0";
    case 112:
        return "Internal error";
    case 115:
        return "Cannot create the file for the specified platform";
    case 116:
        return "The central directory was not found in the archive (or you were trying to open not the "
               "last disk of a multi-disk archive)";
    case 500:
        return "Zlib Library error (end of stream)";
    case 503:
        return "Zlib library error (stream error)";
    case 504:
        return "Zlib library error (data error)";
    case 505:
        return "Not enough memory";
    case 506:
        return "Zlib library error (buffer error)";
    case 507:
        return "Zlib library error (version error)";
    default:
        return nullptr;
    }
}

} // namespace

CZipException::CZipException(int cause, const QString& fileName) : m_szFileName(fileName), m_iCause(cause)
{
    m_what = QStringLiteral("%1 (cause %2)").arg(DescribeCause()).arg(cause).toStdString();
    if (!fileName.isEmpty())
        m_what += " in " + fileName.toStdString();
}

QString CZipException::CauseText(int cause, bool noFallback)
{
    if (const char* text = fixedText(cause))
        return QString::fromLatin1(text);
    if (cause == 113 || cause == 114) {
        const char* action = cause == 113 ? "Error while removing a file" : "Error while renaming a file";
        return QStringLiteral("%1 (%2)").arg(QLatin1String(action), DescribeSystemError());
    }
    if (cause == errNo) {
        const int error = errno;
        return CauseText(error == errNo ? generic : error, true);
    }
    return noFallback ? QStringLiteral("Unknown error") : DescribeSystemError();
}

QString CZipException::DescribeSystemError()
{
    const int error = errno;
    if (error == 0)
        return CauseText(generic, true);
    return QString::fromLocal8Bit(std::strerror(error));
}

bool CZipException::GetErrorMessage(char* buffer, std::size_t length, unsigned* helpContext) const
{
    if (helpContext)
        *helpContext = 0;
    if (!buffer || length == 0)
        return false;
    const QByteArray text = DescribeCause().toUtf8();
    if (text.isEmpty())
        return false;
    const std::size_t count = std::min<std::size_t>(length - 1, static_cast<std::size_t>(text.size()));
    std::memcpy(buffer, text.constData(), count);
    buffer[count] = '\0';
    return true;
}

void ThrowZipException(int cause, const QString& fileName)
{
    throw CZipException(cause, fileName);
}

int ZlibErrorToCause(int zlibResult)
{
    switch (zlibResult) {
    case -6:
        return CZipException::versionError;
    case -5:
        return CZipException::bufError;
    case -4:
        return CZipException::memError;
    case -3:
        return CZipException::dataError;
    case -2:
        return CZipException::streamError;
    case -1:
        return CZipException::errNo;
    case 1:
        return CZipException::streamEnd;
    case 2:
        return CZipException::needDict;
    default:
        return CZipException::generic;
    }
}
