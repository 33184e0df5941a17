#include "reports/bandreport.h"

#include "reports/reportformat.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <memory>

namespace tabel::report {

namespace {

constexpr double slack = 1e-6;

QString msSansSerifFamily()
{
    // The classic dialog face exists on our desktops only as a bitmap font,
    // which cannot be printed; the Tahoma of the same font package shares
    // its design and prints. The package installs its faces outside the
    // folders fontconfig reads, so the program registers them itself.
    static const QString family = [] {
        QString found;
        for (const char *file : {"tahoma.ttf", "tahomabd.ttf"}) {
            const int id = QFontDatabase::addApplicationFont(
                QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (found.isEmpty() && !families.isEmpty())
                found = families.first();
        }
        return found.isEmpty() ? QStringLiteral("Liberation Sans") : found;
    }();
    return family;
}

QString familyFor(const QString &face)
{
    if (face.isEmpty() || face == QLatin1String("Arial"))
        return QStringLiteral("Liberation Sans");
    if (face == QLatin1String("MS Sans Serif") || face == QLatin1String("Microsoft Sans Serif"))
        return msSansSerifFamily();
    return face;
}

class Renderer
{
public:
    Renderer(const Layout &layout, const RowSet &rows, const QString &variable)
        : m_rows(rows), m_variable(variable.isNull() ? layout.variable : variable)
    {
        m_doc.layout = layout;
        const auto &bands = m_doc.layout.bands;
        m_columns.resize(bands.size());
        m_totals.resize(bands.size());
        for (size_t b = 0; b < bands.size(); ++b) {
            const auto &elements = bands[b].elements;
            m_columns[b].resize(elements.size(), -1);
            m_totals[b].resize(elements.size(), 0.0);
            for (size_t e = 0; e < elements.size(); ++e) {
                const Element &el = elements[e];
                if (el.kind == Element::Kind::Field || el.kind == Element::Kind::Total)
                    m_columns[b][e] = rows.columnIndex(el.field);
                if (el.kind == Element::Kind::Total)
                    m_summed.push_back({int(b), int(e)});
            }
        }
        for (const Group &g : layout.groups)
            m_keys.push_back(rows.columnIndex(g.key));
        m_pageFooter = layout.bandOf(Band::Kind::PageFooter);
        m_heading = layout.bandOf(Band::Kind::Heading);
        m_bottom = layout.printableHeight()
            - (m_pageFooter >= 0 ? bands[m_pageFooter].height : 0.0);
    }

    Document run(const RowPredicate &filter)
    {
        const Layout &l = m_doc.layout;
        startPage();
        placeAll(Band::Kind::Title, -1);
        placeAll(Band::Kind::TitleChild, -1);

        int previous = -1;
        for (int row = 0; row < m_rows.size(); ++row) {
            if (filter && !filter(m_rows, row))
                continue;
            const int changed = previous < 0 ? 0 : firstChangedGroup(previous, row);
            if (previous >= 0)
                for (int g = int(l.groups.size()) - 1; g >= changed; --g)
                    closeGroup(g, previous);
            for (int g = changed; g < int(l.groups.size()); ++g)
                if (l.groups[g].header >= 0)
                    place(l.groups[g].header, row);
            add(row);
            placeAll(Band::Kind::Detail, row);
            previous = row;
        }
        if (previous >= 0)
            for (int g = int(l.groups.size()) - 1; g >= 0; --g)
                closeGroup(g, previous);
        placeAll(Band::Kind::TitleFooter, previous);
        finishPage();
        return std::move(m_doc);
    }

private:
    int firstChangedGroup(int previous, int row) const
    {
        for (size_t g = 0; g < m_keys.size(); ++g) {
            const int c = m_keys[g];
            const QVariant a = c >= 0 ? m_rows.rows[previous][c] : QVariant();
            const QVariant b = c >= 0 ? m_rows.rows[row][c] : QVariant();
            if (a.isNull() != b.isNull() || a != b)
                return int(g);
        }
        return int(m_keys.size());
    }

    void closeGroup(int g, int row)
    {
        const int footer = m_doc.layout.groups[g].footer;
        if (footer < 0)
            return;
        place(footer, row);
        std::fill(m_totals[footer].begin(), m_totals[footer].end(), 0.0);
    }

    void add(int row)
    {
        for (const auto &[b, e] : m_summed) {
            const int c = m_columns[b][e];
            if (c < 0)
                continue;
            const QVariant &v = m_rows.rows[row][c];
            if (!v.isNull())
                m_totals[b][e] += v.toDouble();
        }
    }

    void placeAll(Band::Kind kind, int row)
    {
        const auto &bands = m_doc.layout.bands;
        for (size_t b = 0; b < bands.size(); ++b)
            if (bands[b].kind == kind)
                place(int(b), row);
    }

    void place(int band, int row)
    {
        const auto &bands = m_doc.layout.bands;
        double need = bands[band].height;
        if (bands[band].keepWith >= 0)
            need += bands[bands[band].keepWith].height;
        if (m_y + need > m_bottom + slack && !m_atTop) {
            finishPage();
            startPage();
        }
        put(band, row, m_y);
        m_y += bands[band].height;
        m_atTop = false;
    }

    void startPage()
    {
        m_doc.pages.emplace_back();
        m_y = 0;
        if (m_heading >= 0) {
            put(m_heading, -1, 0);
            m_y = m_doc.layout.bands[m_heading].height;
        }
        m_atTop = true;
    }

    void finishPage()
    {
        if (m_pageFooter >= 0)
            put(m_pageFooter, -1,
                 m_doc.layout.printableHeight() - m_doc.layout.bands[m_pageFooter].height);
    }

    QString text(int b, int e, int row) const
    {
        const Element &el = m_doc.layout.bands[b].elements[e];
        switch (el.kind) {
        case Element::Kind::Text:
            return el.text;
        case Element::Kind::Field: {
            const int c = m_columns[b][e];
            if (row < 0 || c < 0)
                return QString();
            return fieldText(m_rows.rows[row][c], el.format);
        }
        case Element::Kind::Computed: {
            if (row < 0 || !el.compute)
                return QString();
            const QVariant v = el.compute(m_rows, row);
            if (v.typeId() == QMetaType::QString)
                return v.toString();
            return fieldText(v, el.format);
        }
        case Element::Kind::Total:
            return totalText(m_totals[b][e], el.format);
        case Element::Kind::PageNumber:
            return QString::number(m_doc.pages.size());
        case Element::Kind::Variable:
            return m_variable;
        }
        return QString();
    }

    void put(int band, int row, double top)
    {
        Page &page = m_doc.pages.back();
        page.bands.push_back({band, top});
        const Band &b = m_doc.layout.bands[band];
        for (size_t e = 0; e < b.elements.size(); ++e) {
            const Element &el = b.elements[e];
            Box box;
            box.band = band;
            box.element = int(e);
            box.text = text(band, int(e), row);
            const double width = el.grows() ? textWidth(el.font, box.text) : el.width;
            box.rect = QRectF(el.x, top, width, b.height);
            page.boxes.push_back(std::move(box));
        }
    }

    const RowSet &m_rows;
    QString m_variable;
    Document m_doc;
    std::vector<std::vector<int>> m_columns;
    std::vector<std::vector<double>> m_totals;
    std::vector<std::pair<int, int>> m_summed;
    std::vector<int> m_keys;
    int m_pageFooter = -1;
    int m_heading = -1;
    double m_bottom = 0;
    double m_y = 0;
    bool m_atTop = true;
};

} // namespace

int Layout::bandOf(Band::Kind kind) const
{
    for (size_t b = 0; b < bands.size(); ++b)
        if (bands[b].kind == kind)
            return int(b);
    return -1;
}

QPageLayout Layout::pageLayout() const
{
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(margin, margin, margin, margin), QPageLayout::Millimeter);
}

Document render(const Layout &layout, const RowSet &rows, const RowPredicate &filter,
                const QString &variable)
{
    return Renderer(layout, rows, variable).run(filter);
}

QFont qtFont(const Font &font)
{
    QFont f(familyFor(font.face));
    f.setPointSizeF(font.points);
    f.setBold(font.bold);
    return f;
}

double textWidth(const Font &font, const QString &text)
{
    if (text.isEmpty())
        return 0;
    // Measured once per face at twenty pixels a point, which keeps hinting
    // out of the figure.
    constexpr int scale = 20;
    static QHash<QString, std::shared_ptr<QFontMetricsF>> cache;
    const QString key = QStringLiteral("%1/%2/%3").arg(font.face).arg(font.points).arg(font.bold);
    auto &metrics = cache[key];
    if (!metrics) {
        QFont f = qtFont(font);
        f.setPixelSize(qRound(font.points * scale));
        metrics = std::make_shared<QFontMetricsF>(f);
    }
    return metrics->horizontalAdvance(text) / scale * 25.4 / 72.0;
}

} // namespace tabel::report
