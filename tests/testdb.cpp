#include "testdb.h"

#include "app/connection.h"
#include "data/datamodule.h"

#include <QCoreApplication>
#include <QTimer>

namespace tabel::test {

static QString host()
{
    return qEnvironmentVariable("TABEL_TEST_HOST", QStringLiteral("127.0.0.1"));
}

void clearQuitRequest()
{
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void maintenance(const QString &sql)
{
    DataModule dm(QStringLiteral("maintenance"));
    dm.open(tabel::connectionString(QStringLiteral("postgres"), host()));
    dm.execute(QStringLiteral("maintenance"), sql);
}

TestDatabase::TestDatabase(const QString &name)
    : m_name(name.isEmpty() ? qEnvironmentVariable("TABEL_TEST_DB_PREFIX", QStringLiteral("t_tabel"))
                            : name)
{
    const QString tmpl = qEnvironmentVariable("TABEL_TEST_TEMPLATE", QStringLiteral("tabel_template"));
    maintenance(QStringLiteral("drop database if exists %1").arg(m_name));
    maintenance(QStringLiteral("create database %1 template %2").arg(m_name, tmpl));
}

TestDatabase::~TestDatabase()
{
    try {
        maintenance(QStringLiteral("drop database if exists %1 with (force)").arg(m_name));
    } catch (...) {
    }
}

std::unique_ptr<DataModule> TestDatabase::connect(const QString &connectionName) const
{
    auto dm = std::make_unique<DataModule>(connectionName);
    dm->open(connectionString());
    return dm;
}

QString TestDatabase::connectionString() const
{
    return tabel::connectionString(m_name, host());
}

} // namespace tabel::test
