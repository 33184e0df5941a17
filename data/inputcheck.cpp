#include "data/inputcheck.h"

namespace tabel::input {

int characterCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A well-formed pair counts once; a lone half counts as one too,
        // though characterRefusal refuses it before it could be stored.
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++count;
    }
    return count;
}

QString lengthRefusal(const QString &label, const QString &text, int maxCharacters)
{
    const int count = characterCount(text);
    if (count <= maxCharacters)
        return {};
    return QStringLiteral("В поле \"%1\" можно записать не больше %2 знаков, а введено %3.")
        .arg(label)
        .arg(maxCharacters)
        .arg(count);
}

static QString codeText(char32_t code)
{
    return QStringLiteral("код U+") + QString::number(uint(code), 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString characterRefusal(const QString &label, const QString &text)
{
    int position = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        ++position;
        const QChar c = text[i];
        char32_t code = c.unicode();
        bool bad = false;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            bad = true;
        }
        if (!bad && QChar::category(code) == QChar::Other_Control)
            bad = true;
        if (bad)
            return QStringLiteral("В поле \"%1\" недопустимый символ (%2) на %3-м месте. "
                                  "Уберите его и запишите снова.")
                .arg(label, codeText(code))
                .arg(position);
    }
    return {};
}

QString lineRefusal(const QString &label, const QString &text, int maxCharacters)
{
    QString why = characterRefusal(label, text);
    if (why.isEmpty())
        why = lengthRefusal(label, text, maxCharacters);
    return why;
}

bool isStorableDate(const QDate &date)
{
    return date.isValid() && date.year() >= minYear && date.year() <= maxYear;
}

QString dateRefusal(const QDate &date)
{
    if (isStorableDate(date))
        return {};
    return QStringLiteral("Неверная дата. Допустимы даты с 01.01.%1 по 31.12.%2.")
        .arg(minYear, 4, 10, QLatin1Char('0'))
        .arg(maxYear);
}

} // namespace tabel::input
