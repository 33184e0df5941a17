#include "app/connection.h"

namespace tabel {

QString connectionString(const QString &database, const QString &server)
{
    return QStringLiteral(
               "DRIVER={PostgreSQL UNICODE};DATABASE=%1;SERVER=%2;PORT=5432;UID=sys;PWD=vbtkmsa;"
               "SSLmode=allow;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;"
               "RowVersioning=0;ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;"
               "MaxLongVarcharSize=8190;Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;"
               "UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;"
               "LFConversion=1;UpdatableCursors=1;TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;"
               "UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1")
        .arg(database, server);
}

QString connectionStringFromArguments(const QStringList &arguments)
{
    if (arguments.size() >= 2 && !arguments.at(1).isEmpty())
        return connectionString(arguments.at(0), arguments.at(1));
    return connectionString(QLatin1String(defaultDatabase), QLatin1String(defaultServer));
}

QString missingPackageDiagnosis(const QString &errorText, bool odbcPluginAvailable)
{
    if (!odbcPluginAvailable)
        return QStringLiteral("Не найден модуль ODBC библиотеки Qt. Установите пакет libqt6sql6-odbc.");
    // The driver manager's words when the driver is not registered, or is
    // registered but its library is gone.
    if (errorText.contains(QLatin1String("Data source name not found"), Qt::CaseInsensitive)
        || errorText.contains(QLatin1String("Can't open lib"), Qt::CaseInsensitive)
        || errorText.contains(QLatin1String("file not found"), Qt::CaseInsensitive))
        return QStringLiteral("Драйвер ODBC «PostgreSQL UNICODE» не установлен. "
                              "Установите пакет odbc-postgresql.");
    return QString();
}

} // namespace tabel
