#pragma once

#include <QString>
#include <stdexcept>

namespace tabel {

// Thrown by the data layer for every failed statement. It travels up to the
// place where the user action started, which shows it through the one
// default error display.
class DbError : public std::runtime_error
{
public:
    DbError(const QString &text, const QString &sql = QString())
        : std::runtime_error(text.toStdString()), m_text(text), m_sql(sql)
    {
    }
    QString text() const { return m_text; }
    QString sql() const { return m_sql; }

private:
    QString m_text;
    QString m_sql;
};

} // namespace tabel
