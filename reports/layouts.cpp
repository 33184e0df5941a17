#include "reports/layouts.h"

#include "reports/reportformat.h"

namespace tabel::report {

namespace {

using K = Element::Kind;

const QString arial = QStringLiteral("Arial");
const QString msSans = QStringLiteral("MS Sans Serif");
const QColor white(0xFF, 0xFF, 0xFF);
const QColor totalShade(0xEF, 0xEF, 0xEF);
const QColor titleShade(0xF4, 0xF4, 0xF4);
const QColor keyShade(0xE0, 0xE0, 0xE0);
const QColor footerShade(0xDC, 0xDC, 0xDC);
constexpr double grows = 0;

Font font(const QString &face, double points, bool bold = false)
{
    return Font{face, points, bold};
}

Element element(K kind, double x, double width, Align align, Font f, QColor background = {})
{
    Element e;
    e.kind = kind;
    e.x = x;
    e.width = width;
    e.align = align;
    e.font = std::move(f);
    e.background = background;
    return e;
}

Element text(double x, double width, Align align, Font f, const QString &t, QColor background = {})
{
    Element e = element(K::Text, x, width, align, std::move(f), background);
    e.text = t;
    return e;
}

Element field(double x, double width, Align align, Font f, const QString &name,
              const QString &format = QString(), QColor background = {})
{
    Element e = element(K::Field, x, width, align, std::move(f), background);
    e.field = name;
    e.format = format;
    return e;
}

Element total(double x, double width, Font f, const QString &name, const QString &format = QString())
{
    Element e = element(K::Total, x, width, Align::Center, std::move(f), totalShade);
    e.field = name;
    e.format = format;
    return e;
}

Element computed(double x, double width, Align align, Font f, Compute compute)
{
    Element e = element(K::Computed, x, width, align, std::move(f));
    e.compute = std::move(compute);
    return e;
}

Element kindOf(double x, double width, Font f)
{
    return computed(x, width, Align::Left, std::move(f), [](const RowSet &rows, int row) {
        return QVariant(kindText(rows.value(row, QStringLiteral("naimen"))));
    });
}

Element colourOf(double x, double width, Font f)
{
    return computed(x, width, Align::Left, std::move(f), [](const RowSet &rows, int row) {
        return QVariant(colourSuffix(rows.value(row, QStringLiteral("color"))));
    });
}

Element variable(double x, Font f)
{
    return element(K::Variable, x, grows, Align::Left, std::move(f));
}

Element pageNumber(double x, double width, Align align, Font f)
{
    return element(K::PageNumber, x, width, align, std::move(f));
}

Band band(Band::Kind kind, double height, std::vector<Element> elements, QColor background = {})
{
    Band b;
    b.kind = kind;
    b.height = height;
    b.background = background;
    b.elements = std::move(elements);
    return b;
}

Edges allEdges()
{
    return Edges{Line::Solid, Line::Solid, Line::Solid, Line::Solid};
}

// The frame every period report shares: its title band with the column
// headings, the empty strip under it and the page number at the foot.
Layout periodReport(const QString &name, double titleHeight, double titleX, Font titleFont,
                    std::vector<Element> headings)
{
    Layout l;
    l.name = name;
    headings.insert(headings.begin(), variable(titleX, std::move(titleFont)));
    l.bands.push_back(band(Band::Kind::Title, titleHeight, std::move(headings), titleShade));
    l.bands.push_back(band(Band::Kind::TitleChild, 0.5, {}));
    return l;
}

Band pageFooter()
{
    return band(Band::Kind::PageFooter, 4.2,
                {pageNumber(176.2, 11.9, Align::Left, font(arial, 9))});
}

Band keyHeader(double height, const QString &key, QColor background, int keepWith)
{
    Band b = band(Band::Kind::GroupHeader, height,
                  {field(0.3, grows, Align::Left, font(arial, 10, true), key)}, background);
    b.keepWith = keepWith;
    return b;
}

Band titleFooter(double height, std::vector<Element> elements)
{
    Band b = band(Band::Kind::TitleFooter, height, std::move(elements), footerShade);
    b.edges = allEdges();
    return b;
}

Element itogo(double x)
{
    return text(x, 13.0, Align::Left, font(msSans, 11, true), QStringLiteral("Итого:"), white);
}

} // namespace

Layout workerSummaryLayout()
{
    const Font detail = font(msSans, 9);
    const Font sum = font(msSans, 9, true);
    const Font grand = font(msSans, 11, true);
    Layout l = periodReport(QStringLiteral("TForm16"), 4.2, 0.3, font(arial, 10, true), {});
    l.bands.push_back(keyHeader(6.6, QStringLiteral("fio"), keyShade, -1)); // 2
    l.bands.push_back(keyHeader(5.3, QStringLiteral("nom"), {}, 5));        // 3
    l.bands.push_back(band(Band::Kind::Detail, 4.2,                         // 4
                           {kindOf(13.2, 42.1, detail),
                            field(56.9, 43.1, Align::Center, detail, QStringLiteral("vid")),
                            colourOf(101.6, 34.7, detail),
                            field(137.8, 19.3, Align::Center, detail, QStringLiteral("kolvo")),
                            field(163.0, 23.5, Align::Center, detail, QStringLiteral("summa"),
                                  QStringLiteral("#0.000"))}));
    l.bands.push_back(band(Band::Kind::GroupFooter, 5.3, // 5
                           {total(137.8, 19.3, sum, QStringLiteral("kolvo")),
                            total(163.0, 23.8, sum, QStringLiteral("summa"), QStringLiteral("#0.000"))}));
    Band workerFooter = band(Band::Kind::GroupFooter, 6.1, // 6
                             {total(163.0, 23.8, sum, QStringLiteral("summa"), QStringLiteral("#0.00"))});
    workerFooter.edges.bottom = Line::Solid;
    l.bands.push_back(workerFooter);
    l.bands.push_back(titleFooter(5.8, // 7
                                  {itogo(137.8),
                                   total(160.9, 28.0, grand, QStringLiteral("summa"), QStringLiteral("#0.00"))}));
    l.bands.push_back(pageFooter()); // 8
    l.groups = {{QStringLiteral("fio"), 2, 6}, {QStringLiteral("nom"), 3, 5}};
    return l;
}

Layout productSummaryLayout()
{
    const Font heading = font(arial, 10, true);
    const Font detail = font(msSans, 9);
    const Font sum = font(msSans, 9, true);
    const Font grand = font(msSans, 11, true);
    Layout l = periodReport(QStringLiteral("TForm17"), 7.7, 0.0, heading,
                            {text(136.3, 14.8, Align::Left, heading, QStringLiteral("Коробки"), white),
                             text(165.1, 20.6, Align::Left, heading, QStringLiteral("Количество"), white)});
    l.bands.push_back(keyHeader(5.3, QStringLiteral("nom"), keyShade, 4)); // 2
    l.bands.push_back(band(Band::Kind::Detail, 4.2,                         // 3
                           {kindOf(13.2, 40.0, detail),
                            field(54.8, 36.2, Align::Center, detail, QStringLiteral("vid")),
                            colourOf(92.6, 39.4, detail),
                            field(133.6, 19.3, Align::Center, detail, QStringLiteral("mass")),
                            field(163.0, 23.5, Align::Center, detail, QStringLiteral("kolvo"))}));
    l.bands.push_back(band(Band::Kind::GroupFooter, 5.3, // 4
                           {total(133.6, 19.3, sum, QStringLiteral("mass")),
                            total(163.0, 23.8, sum, QStringLiteral("kolvo"))}));
    l.bands.push_back(titleFooter(5.8, // 5
                                  {itogo(106.4),
                                   total(131.2, 23.5, grand, QStringLiteral("mass"), QStringLiteral("#0")),
                                   total(160.9, 28.0, grand, QStringLiteral("kolvo"))}));
    l.bands.push_back(pageFooter()); // 6
    l.groups = {{QStringLiteral("nom"), 2, 4}};
    return l;
}

Layout workerDetailLayout()
{
    const Font heading = font(arial, 9, true);
    const Font detail = font(msSans, 8);
    const Font sum = font(msSans, 9, true);
    const Font grand = font(msSans, 11, true);
    Layout l = periodReport(QStringLiteral("TForm20"), 7.7, 0.0, font(arial, 10, true),
                            {text(124.1, 7.7, Align::Left, heading, QStringLiteral("Брак"), white),
                             text(133.3, 18.5, Align::Left, heading, QStringLiteral("Количество"), white),
                             text(157.4, 10.1, Align::Left, heading, QStringLiteral("Сумма"), white)});
    l.bands.push_back(keyHeader(5.3, QStringLiteral("fio"), keyShade, 4)); // 2
    l.bands.push_back(band(Band::Kind::Detail, 4.2,                         // 3
                           {field(0.3, 41.0, Align::Left, detail, QStringLiteral("marka")),
                            field(42.9, 29.1, Align::Center, detail, QStringLiteral("vid")),
                            field(73.6, 16.1, Align::Center, detail, QStringLiteral("color")),
                            kindOf(91.3, 29.9, detail),
                            field(128.1, 9.0, Align::Center, detail, QStringLiteral("brk")),
                            field(146.3, 17.5, Align::Center, detail, QStringLiteral("kolvo")),
                            field(169.9, 19.6, Align::Center, detail, QStringLiteral("summa"),
                                  QStringLiteral("#0.00"))}));
    l.bands.push_back(band(Band::Kind::GroupFooter, 6.3, // 4
                           {total(128.3, 9.0, sum, QStringLiteral("brk")),
                            total(145.5, 19.3, sum, QStringLiteral("kolvo")),
                            total(169.9, 19.6, sum, QStringLiteral("summa"), QStringLiteral("#0.00"))}));
    l.bands.push_back(titleFooter(5.8, // 5
                                  {itogo(106.1), total(132.0, 11.4, grand, QStringLiteral("brk")),
                                   total(145.0, 19.3, grand, QStringLiteral("kolvo")),
                                   total(165.9, 23.5, grand, QStringLiteral("summa"), QStringLiteral("#0.00"))}));
    l.bands.push_back(pageFooter()); // 6
    l.groups = {{QStringLiteral("fio"), 2, 4}};
    return l;
}

Layout productDetailLayout()
{
    const Font heading = font(arial, 10, true);
    const Font detail = font(msSans, 9);
    const Font sum = font(msSans, 9, true);
    const Font grand = font(msSans, 11, true);
    Layout l = periodReport(QStringLiteral("TForm21"), 7.7, 0.0, font(arial, 9, true),
                            {text(124.4, 8.7, Align::Left, heading, QStringLiteral("Брак"), white),
                             text(134.9, 14.8, Align::Left, heading, QStringLiteral("Коробки"), white),
                             text(153.5, 11.9, Align::Left, heading, QStringLiteral("Кол-во"), white),
                             text(173.8, 11.4, Align::Left, heading, QStringLiteral("Сумма"), white)});
    l.bands.push_back(keyHeader(5.3, QStringLiteral("nom"), keyShade, 4)); // 2
    l.bands.push_back(band(Band::Kind::Detail, 4.2,                         // 3
                           {field(1.1, 52.1, Align::Left, detail, QStringLiteral("marka")),
                            field(52.9, 27.8, Align::Left, detail, QStringLiteral("vid")),
                            field(81.2, 16.7, Align::Center, detail, QStringLiteral("color")),
                            kindOf(99.5, 27.0, detail),
                            field(125.4, 6.6, Align::Center, detail, QStringLiteral("brk")),
                            field(133.6, 18.8, Align::Center, detail, QStringLiteral("mass")),
                            field(152.1, 16.7, Align::Center, detail, QStringLiteral("kolvo")),
                            field(169.9, 19.1, Align::Center, detail, QStringLiteral("summa"),
                                  QStringLiteral("#0.000"))}));
    l.bands.push_back(band(Band::Kind::GroupFooter, 5.3, // 4
                           {total(124.4, 8.7, sum, QStringLiteral("brk")),
                            total(132.8, 18.8, sum, QStringLiteral("mass"), QStringLiteral("#0.00")),
                            total(152.1, 16.7, sum, QStringLiteral("kolvo")),
                            total(169.9, 20.1, sum, QStringLiteral("summa"), QStringLiteral("#0.00"))}));
    l.bands.push_back(titleFooter(6.6, // 5
                                  {itogo(99.7), total(124.4, 8.5, grand, QStringLiteral("brk")),
                                   total(132.8, 18.8, grand, QStringLiteral("mass")),
                                   total(152.1, 16.7, grand, QStringLiteral("kolvo")),
                                   total(169.9, 19.1, grand, QStringLiteral("summa"), QStringLiteral("#0.00"))}));
    l.bands.push_back(pageFooter()); // 6
    l.groups = {{QStringLiteral("nom"), 2, 4}};
    return l;
}

const std::vector<double> &hoursSheetDayColumns()
{
    static const std::vector<double> columns = {
        81.2,  87.8,  93.7,  100.0, 106.1, 112.4, 118.8, 125.4, 131.8, 137.6, 143.1,
        148.7, 154.3, 159.8, 165.4, 170.9, 176.5, 182.0, 187.6, 193.1, 198.7, 204.3,
        209.8, 215.4, 220.9, 226.5, 232.0, 237.6, 243.2, 248.7, 254.3};
    return columns;
}

Layout hoursSheetLayout()
{
    Layout l;
    l.name = QStringLiteral("TForm15");
    l.paper = QSizeF(297, 210);
    l.variable = QStringLiteral("Данные за:");
    const Font heading = font(arial, 10, true);
    const Font day = font(QStringLiteral("Microsoft Sans Serif"), 9);

    std::vector<Element> head{variable(0.0, heading)};
    std::vector<Element> detail{field(0.0, 80.4, Align::Left, font(arial, 10), QStringLiteral("fio"))};
    const auto &columns = hoursSheetDayColumns();
    for (int d = 1; d <= 31; ++d) {
        const double x = columns[d - 1];
        Element n = text(x, 5.3, Align::Center, heading, QString::number(d));
        n.edges.left = n.edges.right = Line::GreyDotted;
        head.push_back(n);
        Element sum = field(x, 5.3, Align::Center, day, QStringLiteral("sd%1").arg(d));
        if (d % 2 == 1)
            sum.edges.left = sum.edges.right = Line::BlackDotted;
        detail.push_back(sum);
    }
    head.push_back(text(264.6, 9.8, Align::Left, heading, QStringLiteral("Итого")));
    detail.push_back(computed(264.6, 10.3, Align::Center, font(QStringLiteral("Microsoft Sans Serif"), 9, true),
                              [](const RowSet &rows, int row) {
                                  // Days without hours count as nothing.
                                  double sum = 0;
                                  for (int d = 1; d <= 31; ++d) {
                                      const QVariant v = rows.value(row, QStringLiteral("sd%1").arg(d));
                                      if (!v.isNull())
                                          sum += v.toDouble();
                                  }
                                  return QVariant(general(sum));
                              }));

    Band top = band(Band::Kind::Heading, 6.6, std::move(head));
    top.edges.top = top.edges.bottom = Line::Solid;
    Band row = band(Band::Kind::Detail, 6.3, std::move(detail));
    row.edges.top = row.edges.bottom = Line::GreyDotted;
    row.keepWith = 0;
    l.bands = {top, row,
               band(Band::Kind::PageFooter, 4.5,
                    {pageNumber(252.7, 25.7, Align::Right, font(msSans, 10))})};
    return l;
}

} // namespace tabel::report
