#pragma once

#include <clocale>
#include <locale.h>

namespace tabel {

// The C libraries the program uses (the ODBC driver, the workbook writer)
// write and read numbers through the C library's locale, which the toolkit
// sets from the desktop's. Under a Russian one a price would come from the
// driver as "0,45", which reads as no number at all, and a workbook would
// hold "0,45" where a spreadsheet expects 0.45. While one lives, this
// thread uses the C locale's numbers; the other categories stay as they
// are.
class CNumbers
{
public:
    CNumbers()
    {
        static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE));
        if (c)
            m_previous = uselocale(c);
    }
    ~CNumbers()
    {
        if (m_previous)
            uselocale(m_previous);
    }
    CNumbers(const CNumbers &) = delete;
    CNumbers &operator=(const CNumbers &) = delete;

private:
    locale_t m_previous = nullptr;
};

} // namespace tabel
