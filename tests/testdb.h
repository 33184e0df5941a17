#pragma once

#include <QString>
#include <memory>

namespace tabel {
class DataModule;
}

namespace tabel::test {

// A database of its own for one test program, copied from the template
// that the test script loads with the schema. Dropped on destruction.
class TestDatabase
{
public:
    explicit TestDatabase(const QString &name = QString());
    ~TestDatabase();

    QString name() const { return m_name; }
    QString connectionString() const;
    // An open data module on this database.
    std::unique_ptr<DataModule> connect(const QString &connectionName = QStringLiteral("tabel")) const;

private:
    QString m_name;
};

// A finished login ends the program, which outside a running message loop
// leaves every later dialog returning at once; tests clear that request
// between test functions.
void clearQuitRequest();

// Runs one statement on the maintenance database.
void maintenance(const QString &sql);

} // namespace tabel::test
