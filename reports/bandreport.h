#pragma once

#include "data/resultset.h"

#include <QColor>
#include <QFont>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

// A banded report: a layout (page, bands, elements) that one pass over a
// query's rows turns into pages of positioned boxes. Positions and sizes
// are millimetres from the top-left corner of the printable area.
namespace tabel::report {

enum class Align { Left, Center, Right };

enum class Line { None, Solid, GreyDotted, BlackDotted };

struct Edges
{
    Line left = Line::None;
    Line right = Line::None;
    Line top = Line::None;
    Line bottom = Line::None;
};

struct Font
{
    QString face;
    double points = 9;
    bool bold = false;
};

// A computed value of the current row.
using Compute = std::function<QVariant(const RowSet &rows, int row)>;

struct Element
{
    enum class Kind {
        Text,       // a fixed text
        Field,      // a column of the current row
        Computed,   // an expression over the current row
        Total,      // the sum of a column over the rows since it was last cleared
        PageNumber,
        Variable,   // the one text the caller sets: a title or a heading
    };
    Kind kind = Kind::Text;
    double x = 0;
    // Zero or less: the element grows to fit its text and is never clipped.
    double width = 0;
    Align align = Align::Left;
    Font font;
    QColor background; // invalid: none
    Edges edges;       // left and right only
    QString text;      // Text
    QString field;     // Field, Total
    QString format;    // "", "#0.000", "#0.00", "#0"
    Compute compute;   // Computed

    bool grows() const { return width <= 0; }
};

struct Band
{
    enum class Kind {
        Title,       // once, before the first row
        TitleChild,  // right after the title
        Heading,     // at the top of every page
        GroupHeader,
        Detail,
        GroupFooter,
        TitleFooter, // once, after the last row
        PageFooter,  // at the bottom of every page
    };
    Kind kind = Kind::Detail;
    double height = 0;
    QColor background; // invalid: none
    Edges edges;
    std::vector<Element> elements;
    // A band that must share its page with this one: when the space left
    // does not hold both, this band starts a new page. -1: none.
    int keepWith = -1;
};

struct Group
{
    QString key;    // column whose change starts a new group
    int header = -1; // band indices
    int footer = -1;
};

struct Layout
{
    QString name;
    QSizeF paper{210, 297};
    double margin = 10;
    std::vector<Band> bands;
    // Outermost first.
    std::vector<Group> groups;
    // The variable text until the caller sets one.
    QString variable;

    double bandWidth() const { return paper.width() - 2 * margin; }
    double printableHeight() const { return paper.height() - 2 * margin; }
    int bandOf(Band::Kind kind) const;
    QPageLayout pageLayout() const;
};

// One element as printed.
struct Box
{
    int band = -1;
    int element = -1;
    QRectF rect;
    QString text;
};

struct PlacedBand
{
    int band = -1;
    double top = 0;
};

struct Page
{
    std::vector<PlacedBand> bands;
    std::vector<Box> boxes;
};

struct Document
{
    Layout layout;
    std::vector<Page> pages;

    const Element &element(const Box &box) const
    {
        return layout.bands[box.band].elements[box.element];
    }
};

// Lays the rows out, in their order; only rows the filter keeps are read
// (a null filter keeps all). The variable text replaces the layout's when
// not null. Every layout gives at least one page, also for no rows.
Document render(const Layout &layout, const RowSet &rows, const RowPredicate &filter = {},
                const QString &variable = QString());

// The face a layout's font is drawn with on this system: Arial with its
// metric twin Liberation Sans, MS Sans Serif with the sans face of that
// name when installed.
QFont qtFont(const Font &font);
// Width of a text in millimetres.
double textWidth(const Font &font, const QString &text);

} // namespace tabel::report
