#include "admin/AdminStrings.h"

#include "system/SystemStrings.h"

#include <QRegularExpression>

QString FillSystemString(int id, std::initializer_list<QString> values)
{
    static const QRegularExpression field(QStringLiteral("%[ds]"));
    const QString text = LoadSystemString(id);
    QString filled;
    qsizetype from = 0;
    auto value = values.begin();
    QRegularExpressionMatchIterator matches = field.globalMatch(text);
    while (matches.hasNext() && value != values.end()) {
        const QRegularExpressionMatch match = matches.next();
        filled += text.mid(from, match.capturedStart() - from) + *value++;
        from = match.capturedEnd();
    }
    return filled + text.mid(from);
}
