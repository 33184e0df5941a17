#include "reports/reportpainter.h"

#include "reports/pdfwriter.h"

#include <QFile>
#include <QGlyphRun>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QTextLayout>
#include <QVarLengthArray>
#include <array>
#include <vector>

namespace tabel::report {

namespace {

// Draws the pages of a document. A page of a detail report holds
// thousands of texts, mostly numbers that never repeat: laying each out
// through the toolkit's text engine (script analysis, shaping) costs far
// more than drawing it, so a text whose characters the face has is set
// glyph by glyph from the face's own advances and kerning; anything else
// goes through the text engine. Fills go first, then lines grouped by
// style, then texts, so that a page does not switch pens and colours
// for every box.
class Painter
{
public:
    Painter(QPainter &painter, const Layout &layout, double pxPerMm)
        : m_p(painter), m_layout(layout), m_scale(pxPerMm)
    {
        m_fontOf.resize(layout.bands.size());
        for (size_t b = 0; b < layout.bands.size(); ++b) {
            for (const Element &el : layout.bands[b].elements) {
                int index = -1;
                for (size_t f = 0; f < m_faces.size() && index < 0; ++f)
                    if (m_faces[f].key.face == el.font.face && m_faces[f].key.points == el.font.points
                        && m_faces[f].key.bold == el.font.bold)
                        index = int(f);
                if (index < 0) {
                    index = int(m_faces.size());
                    m_faces.push_back(face(el.font));
                }
                m_fontOf[b].push_back(index);
            }
        }
    }

    void page(const Page &page)
    {
        for (const PlacedBand &b : page.bands) {
            const Band &band = m_layout.bands[b.band];
            if (band.background.isValid())
                m_p.fillRect(bandRect(b), band.background);
        }
        for (const Box &box : page.boxes) {
            const Element &el = element(box);
            if (el.background.isValid())
                m_p.fillRect(px(box.rect), el.background);
        }
        for (Line style : {Line::Solid, Line::BlackDotted, Line::GreyDotted}) {
            m_lines.clear();
            for (const PlacedBand &b : page.bands)
                edges(m_layout.bands[b.band].edges, bandRect(b), true, style);
            for (const Box &box : page.boxes)
                edges(element(box).edges, px(box.rect), false, style);
            if (m_lines.isEmpty())
                continue;
            QPen pen(style == Line::GreyDotted ? QColor(0x80, 0x80, 0x80) : QColor(Qt::black));
            pen.setWidthF(0.2 * m_scale);
            pen.setStyle(style == Line::Solid ? Qt::SolidLine : Qt::DotLine);
            m_p.setPen(pen);
            m_p.drawLines(m_lines);
        }
        m_p.setPen(Qt::black);
        for (const Box &box : page.boxes)
            text(box);
    }

private:
    struct Face
    {
        Font key;
        QFont font;
        // The face as drawn on this device, and a line of it.
        QRawFont raw;
        qreal lineHeight = 0;
        qreal ascent = 0;
        // Glyph and advance of each character of the basic plane met so
        // far; glyph 0 where the face has none.
        QHash<char16_t, std::pair<quint32, qreal>> glyphs;
    };

    Face face(const Font &key)
    {
        Face f;
        f.key = key;
        f.font = qtFont(key);
        QTextLayout sample(QStringLiteral("0"), f.font, m_p.device());
        sample.beginLayout();
        QTextLine line = sample.createLine();
        sample.endLayout();
        const QList<QGlyphRun> runs = sample.glyphRuns();
        if (!runs.isEmpty())
            f.raw = runs.first().rawFont();
        f.lineHeight = line.height();
        f.ascent = line.ascent();
        return f;
    }

    const Element &element(const Box &box) const
    {
        return m_layout.bands[box.band].elements[box.element];
    }

    QRectF px(const QRectF &mm) const
    {
        return QRectF(mm.x() * m_scale, mm.y() * m_scale, mm.width() * m_scale,
                      mm.height() * m_scale);
    }

    QRectF bandRect(const PlacedBand &b) const
    {
        return px(QRectF(0, b.top, m_layout.bandWidth(), m_layout.bands[b.band].height));
    }

    void edges(const Edges &e, const QRectF &r, bool all, Line style)
    {
        if (e.left == style)
            m_lines.append(QLineF(r.topLeft(), r.bottomLeft()));
        if (e.right == style)
            m_lines.append(QLineF(r.topRight(), r.bottomRight()));
        if (all && e.top == style)
            m_lines.append(QLineF(r.topLeft(), r.topRight()));
        if (all && e.bottom == style)
            m_lines.append(QLineF(r.bottomLeft(), r.bottomRight()));
    }

    static int alignment(Align a)
    {
        return a == Align::Left ? Qt::AlignLeft : a == Align::Right ? Qt::AlignRight : Qt::AlignHCenter;
    }

    // The text as glyphs of its face, with its width; false when the face
    // lacks a character or the text needs the text engine's care.
    bool setGlyphs(Face &f, const QString &text, QGlyphRun &run, qreal &width)
    {
        if (!f.raw.isValid())
            return false;
        QVarLengthArray<quint32, 64> glyphs;
        QVarLengthArray<QPointF, 64> positions;
        qreal x = 0;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            // Line breaks, tabs, surrogates and marks that combine with the
            // character before them are laid out by the text engine.
            if (c < 0x20 || ch.isSurrogate() || ch.isMark())
                return false;
            auto it = f.glyphs.find(c);
            if (it == f.glyphs.end()) {
                const QChar one(c);
                quint32 glyph = 0;
                int count = 1;
                f.raw.glyphIndexesForChars(&one, 1, &glyph, &count);
                QPointF advance;
                if (glyph != 0)
                    f.raw.advancesForGlyphIndexes(&glyph, &advance, 1);
                it = f.glyphs.insert(c, {glyph, advance.x()});
            }
            if (it->first == 0)
                return false;
            glyphs.append(it->first);
            positions.append(QPointF(x, f.ascent));
            x += it->second;
        }
        // The face's own pair kerning, as the text engine applies it.
        if (f.key.points > 0 && glyphs.size() > 1) {
            QVarLengthArray<QPointF, 64> kerned(glyphs.size());
            if (f.raw.advancesForGlyphIndexes(glyphs.constData(), kerned.data(), int(glyphs.size()),
                                              QRawFont::KernedAdvances)) {
                x = 0;
                for (qsizetype i = 0; i < glyphs.size(); ++i) {
                    positions[i].setX(x);
                    x += kerned[i].x();
                }
            }
        }
        run.setRawFont(f.raw);
        run.setGlyphIndexes(QList<quint32>(glyphs.begin(), glyphs.end()));
        run.setPositions(QList<QPointF>(positions.begin(), positions.end()));
        width = x;
        return true;
    }

    void text(const Box &box)
    {
        if (box.text.isEmpty())
            return;
        const Element &el = element(box);
        const QRectF r = px(box.rect);
        // A hair of room so that a text never touches its neighbour's border.
        const double pad = el.align == Align::Center ? 0.0 : 0.3 * m_scale;
        const QRectF room = r.adjusted(pad, 0, -pad, 0);
        // Only values are cut to their width; captions and growing texts
        // print whole.
        const bool cut = !el.grows() && el.kind != Element::Kind::Text;
        Face &f = m_faces[size_t(m_fontOf[box.band][box.element])];
        QGlyphRun run;
        qreal width = 0;
        if (!setGlyphs(f, box.text, run, width) || (cut && width > room.width())) {
            m_p.setFont(f.font);
            int flags = Qt::AlignVCenter | Qt::TextSingleLine | alignment(el.align);
            if (!cut)
                flags |= Qt::TextDontClip;
            m_p.drawText(room, flags, box.text);
            return;
        }
        // As a single line is placed: aligned across, centred down.
        const qreal x = el.align == Align::Left ? room.left()
            : el.align == Align::Right          ? room.right() - width
                                                : room.center().x() - width / 2;
        m_p.drawGlyphRun(QPointF(x, room.top() + (room.height() - f.lineHeight) / 2), run);
    }

    QPainter &m_p;
    const Layout &m_layout;
    double m_scale;
    std::vector<Face> m_faces;
    std::vector<std::vector<int>> m_fontOf; // band, element: face
    QList<QLineF> m_lines;
};

} // namespace

void paint(const Document &document, QPagedPaintDevice &device)
{
    device.setPageLayout(document.layout.pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        return;
    painter.setRenderHint(QPainter::TextAntialiasing);
    Painter p(painter, document.layout, device.logicalDpiX() / 25.4);
    bool first = true;
    for (const Page &page : document.pages) {
        if (!first)
            device.newPage();
        first = false;
        p.page(page);
    }
    painter.end();
}

bool writePdf(const Document &document, const QString &path)
{
    switch (pdf::write(document, path)) {
    case pdf::Outcome::Written:
        return true;
    case pdf::Outcome::Failed:
        return false;
    case pdf::Outcome::NotPossible:
        break; // a face only the toolkit's engine embeds
    }
    QPdfWriter writer(path);
    writer.setResolution(600);
    writer.setCreator(QStringLiteral("tabel"));
    writer.setTitle(document.layout.name);
    paint(document, writer);
    return QFile::exists(path);
}

} // namespace tabel::report
