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

// What a maintainer should install when the connection failed for want of
// a piece of this machine rather than of the server: the Qt ODBC plugin or
// the PostgreSQL ODBC driver. Empty when the failure lies elsewhere.
QString missingPackageDiagnosis(const QString &errorText, bool odbcPluginAvailable);

} // namespace tabel
