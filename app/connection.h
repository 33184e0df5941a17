#pragma once

#include <QString>
#include <QStringList>

namespace tabel {

inline constexpr const char *defaultDatabase = "factorydb";
inline constexpr const char *defaultServer = "127.0.0.1";

QString connectionString(const QString &database, const QString &server);
// From the command-line arguments (program name excluded): the database
// and server are taken only when a non-empty server is given; otherwise the
// built-in default is used and the database argument is ignored.
QString connectionStringFromArguments(const QStringList &arguments);

} // namespace tabel
