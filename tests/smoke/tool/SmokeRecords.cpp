// The smoke scenarios' window into resource files, through the program's own store:
//
//   smoke_records make FILE    a new file of three word records, under the ids 0, 5 and 7
//   smoke_records list FILE    one line per record: id, type (8 hex digits), stored size and name
//
// A record under id 0 is what a damaged file or another program may leave; the resource editor must
// still let a person look at it and move on.

#include "store/ResourceHandle.h"
#include "store/ResourceManager.h"
#include "store/ResourceTypes.h"

#include <QCoreApplication>
#include <QTextStream>

#include <vector>

namespace
{

int failWith(const QString& message)
{
    QTextStream(stderr) << "smoke_records: " << message << Qt::endl;
    return 1;
}

bool storeWord(int file, std::int32_t id, const QString& name)
{
    CMyByteRes record;
    const bool stored = record.Create() == RES_OK && record.SetSize(3) == RES_OK &&
                        record.SaveAs(id, file, MakeWordType(1)) == RES_OK && record.SetName(name) == RES_OK;
    record.Detach();
    return stored;
}

int make(const QString& path)
{
    int file = 0;
    if (FindOrAddResFile(&file, path) != RES_OK)
        return failWith(QStringLiteral("cannot make ") + path);
    SetResFileVersion(file, MakeResFileVersion(2, 0, 61));
    SetResFileKind(file, 1);
    if (!storeWord(file, 0, QStringLiteral("Zero")) || !storeWord(file, 5, QStringLiteral("Five")) ||
        !storeWord(file, 7, QStringLiteral("Seven")) || SaveResFile(file) != RES_OK)
        return failWith(QStringLiteral("cannot write ") + path);
    return CloseResFile(file) == RES_OK ? 0 : failWith(QStringLiteral("cannot close ") + path);
}

int list(const QString& path)
{
    int file = 0;
    if (OpenResFile(&file, path) != RES_OK)
        return failWith(QStringLiteral("cannot open ") + path);
    std::vector<CResEntry*> records;
    if (CollectResources(&records, file, RES_ANY) != RES_OK) {
        CloseResFile(file);
        return failWith(QStringLiteral("cannot read the records of ") + path);
    }
    QTextStream out(stdout);
    for (CResEntry* record : records) {
        out << record->GetId() << ' '
            << QString::number(std::uint32_t(record->GetType()), 16).rightJustified(8, '0') << ' '
            << record->GetStoredSize() << ' ' << record->GetName() << '\n';
    }
    out.flush();
    CloseResFile(file);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments[1] == QLatin1String("make"))
        return make(arguments[2]);
    if (arguments.size() == 3 && arguments[1] == QLatin1String("list"))
        return list(arguments[2]);
    return failWith(QStringLiteral("usage: smoke_records make|list FILE"));
}
