#pragma once

#include <QString>
#include <QVariant>

// How values are shown to the user: the workstation's number format, in
// the shortest form, without grouping; dates as DD.MM.YYYY; nothing for
// a value that is not there (NULL).
namespace tabel::display {

QString number(double value);
QString value(const QVariant &value);

} // namespace tabel::display
