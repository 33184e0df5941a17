#pragma once

#include <QString>
#include <stdexcept>

namespace tabel {

inline constexpr const char *connectionLostMessage =
    "Нет связи с сервером базы данных. Начатое действие прервано, его изменения не записаны. "
    "Программа подключится снова при следующем действии.";

// Thrown by the data layer for every failed statement. It travels up to the
// place where the user action started, which shows it through the one
// default error display.
class DbError : public std::runtime_error
{
public:
    DbError(const QString &text, const QString &sql = QString(), bool connectionLost = false)
        : std::runtime_error(text.toStdString()), m_text(text), m_sql(sql), m_lost(connectionLost)
    {
    }
    QString text() const { return m_text; }
    QString sql() const { return m_sql; }
    // The server could not be reached: nothing of the statement is known
    // to have happened, and the data module reconnects on the next action.
    bool connectionLost() const { return m_lost; }

private:
    QString m_text;
    QString m_sql;
    bool m_lost = false;
};

} // namespace tabel
