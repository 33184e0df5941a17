#include "reports/reportpainter.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QFile>

namespace tabel::report {

namespace {

class Painter
{
public:
    Painter(QPainter &painter, double pxPerMm) : m_p(painter), m_scale(pxPerMm) {}

    QRectF px(const QRectF &mm) const
    {
        return QRectF(mm.x() * m_scale, mm.y() * m_scale, mm.width() * m_scale,
                      mm.height() * m_scale);
    }

    void line(Line style, QPointF a, QPointF b)
    {
        if (style == Line::None)
            return;
        QPen pen(style == Line::GreyDotted ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
        pen.setWidthF(0.2 * m_scale);
        pen.setStyle(style == Line::Solid ? Qt::SolidLine : Qt::DotLine);
        m_p.setPen(pen);
        m_p.drawLine(a, b);
    }

    void edges(const Edges &e, const QRectF &r, bool all)
    {
        line(e.left, r.topLeft(), r.bottomLeft());
        line(e.right, r.topRight(), r.bottomRight());
        if (all) {
            line(e.top, r.topLeft(), r.topRight());
            line(e.bottom, r.bottomLeft(), r.bottomRight());
        }
    }

    void band(const Layout &layout, const PlacedBand &placed)
    {
        const Band &b = layout.bands[placed.band];
        const QRectF r = px(QRectF(0, placed.top, layout.bandWidth(), b.height));
        if (b.background.isValid())
            m_p.fillRect(r, b.background);
        edges(b.edges, r, true);
    }

    void box(const Element &el, const Box &box)
    {
        const QRectF r = px(box.rect);
        if (el.background.isValid())
            m_p.fillRect(r, el.background);
        edges(el.edges, r, false);
        if (box.text.isEmpty())
            return;
        m_p.setFont(font(el.font));
        m_p.setPen(Qt::black);
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        flags |= el.align == Align::Left ? Qt::AlignLeft
            : el.align == Align::Right   ? Qt::AlignRight
                                         : Qt::AlignHCenter;
        // Only values are cut to their width; captions and growing texts
        // print whole.
        if (el.grows() || el.kind == Element::Kind::Text)
            flags |= Qt::TextDontClip;
        // A hair of room so that a text never touches its neighbour's border.
        const double pad = el.align == Align::Center ? 0.0 : 0.3 * m_scale;
        m_p.drawText(r.adjusted(pad, 0, -pad, 0), flags, box.text);
    }

private:
    const QFont &font(const Font &f)
    {
        const QString key = QStringLiteral("%1/%2/%3").arg(f.face).arg(f.points).arg(f.bold);
        auto it = m_fonts.find(key);
        if (it == m_fonts.end())
            it = m_fonts.insert(key, qtFont(f));
        return *it;
    }

    QPainter &m_p;
    double m_scale;
    QHash<QString, QFont> m_fonts;
};

} // namespace

void paint(const Document &document, QPagedPaintDevice &device)
{
    device.setPageLayout(document.layout.pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        return;
    painter.setRenderHint(QPainter::TextAntialiasing);
    Painter p(painter, device.logicalDpiX() / 25.4);
    bool first = true;
    for (const Page &page : document.pages) {
        if (!first)
            device.newPage();
        first = false;
        for (const PlacedBand &b : page.bands)
            p.band(document.layout, b);
        for (const Box &box : page.boxes)
            p.box(document.element(box), box);
    }
    painter.end();
}

bool writePdf(const Document &document, const QString &path)
{
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("tabel"));
    writer.setTitle(document.layout.name);
    paint(document, writer);
    return QFile::exists(path);
}

} // namespace tabel::report
