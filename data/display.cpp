#include "data/display.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

namespace tabel::display {

QString number(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', QLocale::FloatingPointShortest);
}

QString value(const QVariant &v)
{
    // A cell without a value is empty, not a zero nobody entered.
    if (v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime:
        return v.toDateTime().date().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Double:
    case QMetaType::Float:
        return number(v.toDouble());
    default:
        return v.toString();
    }
}

} // namespace tabel::display
