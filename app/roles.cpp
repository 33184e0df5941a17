#include "app/roles.h"

#include "app/controlnames.h"

namespace tabel {

Role roleForWord(const QString &typed)
{
    const QString w = typed.trimmed();
    if (w == QLatin1String(reportingWord))
        return Role::Reporting;
    if (w == QLatin1String(dataEntryWord))
        return Role::DataEntry;
    if (w == QLatin1String(acceptanceWord))
        return Role::Acceptance;
    for (const char *code : fullAccessWords)
        if (w == QLatin1String(code))
            return Role::FullAccess;
    return Role::None;
}

QVector<Restriction> restrictionsFor(Role role)
{
    using namespace names;
    const QString j = QLatin1String(journalWindow);
    const QString r = QLatin1String(reportsWindow);
    auto list = [](const QString &window, std::initializer_list<const char *> controls) {
        QVector<Restriction> out;
        for (const char *c : controls)
            out.push_back({window, QLatin1String(c)});
        return out;
    };
    switch (role) {
    case Role::Reporting:
        return list(j, {journalAdd, journalEdit, journalDelete, journalShift1, journalShift2,
                        journalShift3, journalShift4, journalDayOff, journalRefresh, journalGrid,
                        journalDate, menuReference, menuTimesheet});
    case Role::DataEntry:
        return list(j, {journalEdit, journalDelete, menuReference, menuTimesheet})
            + list(r, {reportsDetailWorkers, reportsProducts, reportsWorkers, reportsExcel});
    case Role::Acceptance:
        return list(j, {journalAdd, journalEdit, journalDelete, menuReference, menuTimesheet})
            + list(r, {reportsDetailWorkers, reportsProducts, reportsWorkers, reportsExcel,
                       reportsKind});
    case Role::FullAccess:
    case Role::None:
        break;
    }
    return {};
}

QVector<QString> controlsOffIn(Role role, const QString &window)
{
    QVector<QString> out;
    for (const Restriction &r : restrictionsFor(role))
        if (r.window == window)
            out.push_back(r.control);
    return out;
}

bool fixesFinishedProducts(Role role)
{
    return role == Role::Acceptance;
}

} // namespace tabel
