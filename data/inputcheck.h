#pragma once

#include <QDate>
#include <QString>

// Checks of what a user typed, made before anything is written, so that a
// value the database cannot take is refused with a message the user can
// act on instead of failing on the server or being cut down unseen. Each
// returns the message of the refusal, or an empty text when the value may
// be written.
namespace tabel::input {

// Characters as the server counts them for a varchar(n) column: a
// character outside the Basic Multilingual Plane is one, not the two
// UTF-16 units QString::size() counts.
int characterCount(const QString &text);

// A text longer than the column holds.
QString lengthRefusal(const QString &label, const QString &text, int maxCharacters);

// A line typed into a field: control characters make no sense in a name
// (and the server refuses NUL outright), and half of a surrogate pair is
// no character at all and cannot be sent.
QString characterRefusal(const QString &label, const QString &text);

// Both of the above, in that order.
QString lineRefusal(const QString &label, const QString &text, int maxCharacters);

// Dates as every statement writes them, DD.MM.YYYY: a year of four digits,
// 1 to 9999. An invalid date (nothing picked) is refused as well.
inline constexpr int minYear = 1;
inline constexpr int maxYear = 9999;
bool isStorableDate(const QDate &date);
QString dateRefusal(const QDate &date);

} // namespace tabel::input
