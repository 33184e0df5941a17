#pragma once

#include "data/resultset.h"

#include <QString>

// Row filters of the search fields. Letters compare without regard to
// case (Cyrillic included) and the typed text is taken literally: a "%",
// "_" or apostrophe in it is just a character to look for.
namespace tabel::rowfilter {

// Rows whose column begins with the text; off (null) for an empty text.
RowPredicate startsWith(const QString &column, const QString &text);
// Rows whose column holds the text anywhere; off when the text is blank.
RowPredicate contains(const QString &column, const QString &text);

} // namespace tabel::rowfilter
