#pragma once

#include <QString>
#include <QVector>

namespace tabel {

enum class Role { None, Reporting, DataEntry, Acceptance, FullAccess };

inline constexpr const char *reportingWord = "vantor";
inline constexpr const char *dataEntryWord = "gildrew";
inline constexpr const char *acceptanceWord = "pomek";
inline constexpr const char *fullAccessWords[] = {"61730482", "5283"};
inline constexpr const char *wrongWordMessage = "Введены неверные данные.";

// The role of a typed word: blanks around it do not count, letter case does.
Role roleForWord(const QString &typed);

// One control a role switches off: window and control object names.
struct Restriction
{
    QString window;
    QString control;
};
QVector<Restriction> restrictionsFor(Role role);
QVector<QString> controlsOffIn(Role role, const QString &window);

// The acceptance role sees the summary reports of finished products only.
bool fixesFinishedProducts(Role role);

// Who is logged in, for the windows created before the login that apply
// their part of the role table when first shown. The typed word itself is
// kept by the journal, whose acceptance toggle reads it.
struct Session
{
    Role role = Role::None;
};

} // namespace tabel
