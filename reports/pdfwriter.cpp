#include "reports/pdfwriter.h"

#include <QDateTime>
#include <QFile>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <QSaveFile>
#include <QTextLayout>
#include <QVarLengthArray>

#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

namespace tabel::report::pdf {

namespace {

constexpr double ptPerMm = 72.0 / 25.4;
// Laid out by the text engine (texts the faces cannot set by themselves),
// a font is this many pixels to the em, so that positions come precise.
constexpr int layoutPixels = 1000;

// Numbers written into the PDF: two decimals are a hundredth of a point.
void put(QByteArray &out, double v)
{
    std::array<char, 32> buf;
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::fixed, 2);
    if (ec != std::errc()) {
        out += '0';
        return;
    }
    // "12.50" as "12.5", "3.00" as "3", "-0.00" as "0".
    char *p = end;
    while (p > buf.data() && p[-1] == '0')
        --p;
    if (p > buf.data() && p[-1] == '.')
        --p;
    if (p - buf.data() == 2 && buf[0] == '-' && buf[1] == '0')
        out += '0';
    else
        out.append(buf.data(), p - buf.data());
}

void put(QByteArray &out, qint64 v)
{
    out += QByteArray::number(v);
}

// Numbers each followed by a space, then a page operator: "1 2 3 4 re f".
void op(QByteArray &out, std::initializer_list<double> operands, const char *name)
{
    for (double v : operands) {
        put(out, v);
        out += ' ';
    }
    out += name;
}

void putHex4(QByteArray &out, quint32 v)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[(v >> 12) & 15];
    out += digits[(v >> 8) & 15];
    out += digits[(v >> 4) & 15];
    out += digits[v & 15];
}

quint16 u16(const QByteArray &t, int at)
{
    return at + 2 <= t.size() ? quint16((uchar(t[at]) << 8) | uchar(t[at + 1])) : 0;
}

qint16 s16(const QByteArray &t, int at)
{
    return qint16(u16(t, at));
}

void putU16(QByteArray &out, quint32 v)
{
    out += char((v >> 8) & 0xff);
    out += char(v & 0xff);
}

void putU32(QByteArray &out, quint32 v)
{
    putU16(out, v >> 16);
    putU16(out, v & 0xffff);
}

quint32 tableSum(const QByteArray &data)
{
    quint32 sum = 0;
    for (int i = 0; i < data.size(); i += 4) {
        quint32 word = 0;
        for (int b = 0; b < 4; ++b)
            word = (word << 8) | (i + b < data.size() ? uchar(data[i + b]) : 0);
        sum += word;
    }
    return sum;
}

QByteArray deflate(const QByteArray &data, int level)
{
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size,
                  reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()), level)
        != Z_OK)
        return {};
    out.resize(qsizetype(size));
    return out;
}

// A TrueType font as the PDF embeds it, made once per run from the face's
// own tables.
struct Program
{
    bool ok = false;
    QByteArray packed; // deflated font file
    qint64 length = 0; // its size unpacked
    QByteArray baseName;
    int unitsPerEm = 1000;
    std::array<qint16, 4> box{};
    qint16 ascender = 0;
    qint16 descender = 0;
    std::vector<quint16> advances; // by glyph, font units
    // Pair kerning of the face's kern table: left << 16 | right, font units.
    QHash<quint32, qint16> kerning;
};

// The horizontal pairs of a kern table (its version 0, format 0
// subtables). Faces that kern only through their layout tables set text
// without kerning here.
void readKerning(const QByteArray &kern, QHash<quint32, qint16> &pairs)
{
    if (kern.size() < 4 || u16(kern, 0) != 0)
        return;
    int at = 4;
    for (int n = u16(kern, 2); n > 0 && at + 6 <= kern.size(); --n) {
        const int length = u16(kern, at + 2);
        const int coverage = u16(kern, at + 4);
        // Horizontal, not minimum values, not cross-stream; format 0.
        if ((coverage & 0x0f) == 0x01 && (coverage >> 8) == 0 && at + 14 <= kern.size()) {
            const int count = u16(kern, at + 6);
            for (int i = 0; i < count; ++i) {
                const int pair = at + 14 + 6 * i;
                if (pair + 6 > kern.size())
                    break;
                pairs.insert(quint32(u16(kern, pair)) << 16 | u16(kern, pair + 2), s16(kern, pair + 4));
            }
        }
        if (length <= 0)
            break;
        at += length;
    }
}

std::shared_ptr<const Program> programOf(const QRawFont &raw)
{
    static QHash<QString, std::shared_ptr<const Program>> cache;
    const QString key = QStringLiteral("%1/%2/%3/%4")
                            .arg(raw.familyName(), raw.styleName())
                            .arg(raw.weight())
                            .arg(int(raw.style()));
    if (auto it = cache.find(key); it != cache.end())
        return *it;
    auto p = std::make_shared<Program>();
    cache.insert(key, p);

    static const char *const tags[] = {"OS/2", "cmap", "cvt ", "fpgm", "gasp", "glyf", "head",
                                       "hhea", "hmtx", "loca", "maxp", "name", "post", "prep"};
    std::map<QByteArray, QByteArray> tables;
    for (const char *tag : tags) {
        const QByteArray t = raw.fontTable(tag);
        if (!t.isEmpty())
            tables[QByteArray(tag)] = t;
    }
    readKerning(raw.fontTable("kern"), p->kerning);
    for (const char *needed : {"glyf", "loca", "head", "hhea", "hmtx", "maxp"})
        if (!tables.count(QByteArray(needed)))
            return p; // not a TrueType outline font
    QByteArray &head = tables[QByteArrayLiteral("head")];
    if (head.size() < 54)
        return p;
    head[8] = head[9] = head[10] = head[11] = 0; // checksum adjustment, set below
    p->unitsPerEm = std::max<int>(16, u16(head, 18));
    p->box = {s16(head, 36), s16(head, 38), s16(head, 40), s16(head, 42)};
    const QByteArray &hhea = tables[QByteArrayLiteral("hhea")];
    p->ascender = s16(hhea, 4);
    p->descender = s16(hhea, 6);
    const int metrics = u16(hhea, 34);
    const QByteArray &hmtx = tables[QByteArrayLiteral("hmtx")];
    const int glyphs = u16(tables[QByteArrayLiteral("maxp")], 4);
    p->advances.resize(size_t(std::max(glyphs, metrics)));
    for (int g = 0; g < int(p->advances.size()); ++g)
        p->advances[size_t(g)] = u16(hmtx, 4 * std::min(g, std::max(metrics - 1, 0)));

    // The font file: its table directory, then the tables on four bytes.
    const int count = int(tables.size());
    int power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray file;
    putU32(file, 0x00010000);
    putU16(file, quint32(count));
    putU16(file, quint32(power * 16));
    putU16(file, quint32(log));
    putU16(file, quint32(count * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * count);
    int headOffset = 0;
    QByteArray body;
    for (const auto &[tag, data] : tables) {
        file += tag;
        putU32(file, tableSum(data));
        putU32(file, offset);
        putU32(file, quint32(data.size()));
        if (tag == "head")
            headOffset = int(offset);
        body += data;
        while (body.size() % 4)
            body += '\0';
        offset = quint32(12 + 16 * count + body.size());
    }
    file += body;
    const quint32 adjustment = 0xB1B0AFBAu - tableSum(file);
    for (int b = 0; b < 4; ++b)
        file[headOffset + 8 + b] = char((adjustment >> (24 - 8 * b)) & 0xff);

    p->length = file.size();
    p->packed = deflate(file, Z_DEFAULT_COMPRESSION);
    QString name = raw.familyName() + QLatin1Char('-') + raw.styleName();
    for (QChar c : name)
        if (c.unicode() > ' ' && c.unicode() < 0x7f && !QStringLiteral("()<>[]{}/%#").contains(c))
            p->baseName += char(c.unicode());
    p->ok = !p->packed.isEmpty();
    return p;
}

// A face the document uses: its program, the glyphs drawn and what they
// stand for.
struct Face
{
    std::shared_ptr<const Program> program;
    QRawFont raw; // for its characters' glyphs
    QByteArray resource;
    std::map<quint32, QString> used; // glyph: text it stands for
    QHash<char16_t, quint32> glyphs;  // character: glyph, 0 where none
};

struct Text
{
    int face = -1;
    QVarLengthArray<quint32, 64> glyphs;
    QVarLengthArray<qint32, 64> kerning; // before each glyph, font units
    double width = 0; // points at the size drawn
};

class Writer
{
public:
    explicit Writer(const Document &doc) : m_doc(doc) {}

    Outcome run(const QString &path)
    {
        const Layout &l = m_doc.layout;
        // One face per distinct font of the layout.
        m_fontOf.resize(l.bands.size());
        for (size_t b = 0; b < l.bands.size(); ++b) {
            for (const Element &el : l.bands[b].elements) {
                int index = -1;
                for (size_t f = 0; f < m_fonts.size() && index < 0; ++f)
                    if (m_fonts[f].key.face == el.font.face && m_fonts[f].key.points == el.font.points
                        && m_fonts[f].key.bold == el.font.bold)
                        index = int(f);
                if (index < 0) {
                    index = int(m_fonts.size());
                    LayoutFont lf;
                    lf.key = el.font;
                    lf.font = qtFont(el.font);
                    QFont big = lf.font;
                    big.setPixelSize(layoutPixels);
                    lf.layoutFont = big;
                    QTextLayout sample(QStringLiteral("0"), big);
                    sample.beginLayout();
                    sample.createLine();
                    sample.endLayout();
                    const QList<QGlyphRun> runs = sample.glyphRuns();
                    if (runs.isEmpty())
                        return Outcome::NotPossible;
                    lf.face = faceOf(runs.first().rawFont());
                    if (lf.face < 0)
                        return Outcome::NotPossible;
                    m_fonts.push_back(std::move(lf));
                }
                m_fontOf[b].push_back(index);
            }
        }
        std::vector<QByteArray> pages;
        for (const Page &page : m_doc.pages) {
            QByteArray content;
            if (!pageContent(page, content))
                return Outcome::NotPossible;
            pages.push_back(deflate(content, Z_BEST_SPEED));
        }
        return file(pages, path) ? Outcome::Written : Outcome::Failed;
    }

private:
    struct LayoutFont
    {
        Font key;
        QFont font;
        QFont layoutFont;
        int face = -1;
    };

    int faceOf(const QRawFont &raw)
    {
        const std::shared_ptr<const Program> program = programOf(raw);
        if (!program->ok)
            return -1;
        for (size_t f = 0; f < m_faces.size(); ++f)
            if (m_faces[f].program == program)
                return int(f);
        Face face;
        face.program = program;
        face.raw = raw;
        face.resource = "F" + QByteArray::number(qsizetype(m_faces.size()) + 1);
        m_faces.push_back(std::move(face));
        return int(m_faces.size()) - 1;
    }

    // The text in the layout font's own face, glyph for character, with
    // the face's pair kerning; false when the face lacks a character or
    // the text needs the text engine.
    bool simple(const LayoutFont &lf, const QString &text, Text &out)
    {
        Face &face = m_faces[size_t(lf.face)];
        const double scale = lf.key.points / face.program->unitsPerEm;
        qint64 units = 0;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c < 0x20 || ch.isSurrogate() || ch.isMark())
                return false;
            auto it = face.glyphs.find(c);
            if (it == face.glyphs.end()) {
                quint32 glyph = 0;
                int n = 1;
                face.raw.glyphIndexesForChars(&ch, 1, &glyph, &n);
                it = face.glyphs.insert(c, glyph);
            }
            if (*it == 0 || *it >= face.program->advances.size())
                return false;
            out.glyphs.append(*it);
            out.kerning.append(0);
            units += face.program->advances[*it];
        }
        const QHash<quint32, qint16> &pairs = face.program->kerning;
        if (!pairs.isEmpty())
            for (qsizetype i = 1; i < out.glyphs.size(); ++i) {
                const qint16 k = pairs.value(out.glyphs[i - 1] << 16 | out.glyphs[i], 0);
                out.kerning[i] = k;
                units += k;
            }
        for (qsizetype i = 0; i < text.size(); ++i) {
            auto &stands = face.used[out.glyphs[i]];
            if (stands.isEmpty())
                stands = text.mid(i, 1);
        }
        out.face = lf.face;
        out.width = double(units) * scale;
        return true;
    }

    void fill(QByteArray &c, const QColor &colour, double x, double y, double w, double h)
    {
        op(c, {colour.redF(), colour.greenF(), colour.blueF()}, "rg ");
        op(c, {x, y, w, h}, "re f\n");
    }

    // Millimetres from the printable area's top left to points from the
    // page's bottom left.
    double px(double mm) const { return (m_doc.layout.margin + mm) * ptPerMm; }
    double py(double mm) const { return m_pageHeight - (m_doc.layout.margin + mm) * ptPerMm; }

    void edges(std::vector<std::array<double, 4>> &lines, const Edges &e, const QRectF &r, bool all, Line style)
    {
        const double l = px(r.left()), rt = px(r.right()), t = py(r.top()), b = py(r.bottom());
        if (e.left == style)
            lines.push_back({l, t, l, b});
        if (e.right == style)
            lines.push_back({rt, t, rt, b});
        if (all && e.top == style)
            lines.push_back({l, t, rt, t});
        if (all && e.bottom == style)
            lines.push_back({l, b, rt, b});
    }

    bool pageContent(const Page &page, QByteArray &c)
    {
        const Layout &l = m_doc.layout;
        m_pageHeight = l.paper.height() * ptPerMm;
        c.reserve(64 * 1024);
        auto bandRect = [&](const PlacedBand &b) {
            return QRectF(0, b.top, l.bandWidth(), l.bands[b.band].height);
        };
        // Fills first, then lines by style, then texts: few changes of colour.
        for (const PlacedBand &b : page.bands)
            if (l.bands[b.band].background.isValid()) {
                const QRectF r = bandRect(b);
                fill(c, l.bands[b.band].background, px(r.left()), py(r.bottom()), r.width() * ptPerMm,
                     r.height() * ptPerMm);
            }
        for (const Box &box : page.boxes) {
            const Element &el = m_doc.element(box);
            if (el.background.isValid())
                fill(c, el.background, px(box.rect.left()), py(box.rect.bottom()), box.rect.width() * ptPerMm,
                     box.rect.height() * ptPerMm);
        }
        const double lineWidth = 0.2 * ptPerMm;
        for (Line style : {Line::Solid, Line::BlackDotted, Line::GreyDotted}) {
            std::vector<std::array<double, 4>> lines;
            for (const PlacedBand &b : page.bands)
                edges(lines, l.bands[b.band].edges, bandRect(b), true, style);
            for (const Box &box : page.boxes)
                edges(lines, m_doc.element(box).edges, box.rect, false, style);
            if (lines.empty())
                continue;
            c += style == Line::GreyDotted ? "0.5 0.5 0.5 RG " : "0 0 0 RG ";
            op(c, {lineWidth}, "w 0 J ");
            if (style == Line::Solid) {
                c += "[] 0 d\n";
            } else {
                c += '[';
                put(c, lineWidth);
                c += ' ';
                put(c, 2 * lineWidth);
                c += "] 0 d\n";
            }
            for (const auto &[x1, y1, x2, y2] : lines) {
                op(c, {x1, y1}, "m ");
                op(c, {x2, y2}, "l\n");
            }
            c += "S\n";
        }
        c += "0 g\n";
        for (const Box &box : page.boxes)
            if (!text(box, c))
                return false;
        return true;
    }

    bool text(const Box &box, QByteArray &c)
    {
        if (box.text.isEmpty())
            return true;
        const Element &el = m_doc.element(box);
        const LayoutFont &lf = m_fonts[size_t(m_fontOf[box.band][box.element])];
        const double size = lf.key.points;
        // A hair of room so that a text never touches its neighbour's border.
        const double pad = el.align == Align::Center ? 0.0 : 0.3;
        const double left = px(box.rect.left() + pad), right = px(box.rect.right() - pad);
        const double top = py(box.rect.top()), height = box.rect.height() * ptPerMm;
        // Only values are cut to their width; captions and growing texts
        // print whole.
        const bool cut = !el.grows() && el.kind != Element::Kind::Text;

        Text t;
        const bool plain = simple(lf, box.text, t);
        QList<QGlyphRun> runs;
        double width = t.width;
        double ascent = 0, lineHeight = 0;
        const Program &primary = *m_faces[size_t(lf.face)].program;
        ascent = primary.ascender * size / primary.unitsPerEm;
        lineHeight = (primary.ascender - primary.descender) * size / primary.unitsPerEm;
        if (!plain) {
            QString oneLine = box.text;
            oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));
            oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
            QTextLayout layout(oneLine, lf.layoutFont);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            layout.endLayout();
            runs = layout.glyphRuns();
            width = line.naturalTextWidth() * size / layoutPixels;
        }
        const double x = el.align == Align::Left ? left
            : el.align == Align::Right          ? right - width
                                                : (left + right) / 2 - width / 2;
        const double baseline = top - (height - lineHeight) / 2 - ascent;
        const bool clip = cut && width > right - left + 0.01;
        if (clip) {
            c += "q ";
            op(c, {left, top - height, right - left, height}, "re W n\n");
        }
        if (plain) {
            const Face &face = m_faces[size_t(t.face)];
            c += "BT /" + face.resource + ' ';
            op(c, {size}, "Tf ");
            op(c, {x, baseline}, "Td [<");
            for (qsizetype i = 0; i < t.glyphs.size(); ++i) {
                if (t.kerning[i] != 0) {
                    c += "> ";
                    put(c, qint64(-qRound(double(t.kerning[i]) * 1000.0 / face.program->unitsPerEm)));
                    c += " <";
                }
                putHex4(c, t.glyphs[i]);
            }
            c += ">] TJ ET\n";
        } else {
            const double origin = top - (height - lineHeight) / 2;
            for (const QGlyphRun &run : runs) {
                const int f = faceOf(run.rawFont());
                if (f < 0)
                    return false;
                Face &face = m_faces[size_t(f)];
                const QList<quint32> glyphs = run.glyphIndexes();
                const QList<QPointF> at = run.positions();
                // What the glyphs stand for, as far as the face says.
                for (const QChar ch : box.text) {
                    quint32 g = 0;
                    int n = 1;
                    face.raw.glyphIndexesForChars(&ch, 1, &g, &n);
                    if (g != 0 && glyphs.contains(g) && face.used[g].isEmpty())
                        face.used[g] = QString(ch);
                }
                for (quint32 g : glyphs)
                    face.used.try_emplace(g);
                c += "BT /" + face.resource + ' ';
                put(c, size);
                c += " Tf\n";
                for (qsizetype i = 0; i < glyphs.size(); ++i) {
                    c += "1 0 0 1 ";
                    op(c, {x + at[i].x() * size / layoutPixels, origin - at[i].y() * size / layoutPixels}, "Tm <");
                    putHex4(c, glyphs[i]);
                    c += "> Tj\n";
                }
                c += "ET\n";
            }
        }
        if (clip)
            c += "Q\n";
        return true;
    }

    static QByteArray pdfText(const QString &s)
    {
        QByteArray out = "<FEFF";
        for (QChar ch : s)
            putHex4(out, ch.unicode());
        out += '>';
        return out;
    }

    bool file(const std::vector<QByteArray> &pages, const QString &path)
    {
        const Layout &l = m_doc.layout;
        QByteArray out;
        std::vector<qint64> offsets(1, 0);
        auto object = [&](const QByteArray &body) {
            offsets.push_back(out.size());
            out += QByteArray::number(qsizetype(offsets.size()) - 1) + " 0 obj\n" + body + "\nendobj\n";
            return qsizetype(offsets.size()) - 1;
        };
        auto stream = [&](const QByteArray &dict, const QByteArray &data) {
            return object("<< " + dict + " /Length " + QByteArray::number(data.size()) + " >>\nstream\n" + data
                          + "\nendstream");
        };
        auto ref = [](qsizetype n) { return QByteArray::number(n) + " 0 R"; };

        out += "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
        // Objects 1 and 2, the catalog and the page tree, go first with
        // their numbers known in advance.
        const qsizetype fontsStart = 3;
        const qsizetype perFace = 5;
        const qsizetype resources = fontsStart + perFace * qsizetype(m_faces.size());
        const qsizetype firstPage = resources + 1;
        object("<< /Type /Catalog /Pages 2 0 R >>");
        QByteArray kids;
        for (size_t p = 0; p < pages.size(); ++p)
            kids += ref(firstPage + 2 * qsizetype(p)) + ' ';
        object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(qsizetype(pages.size())) + " >>");

        QByteArray fontDict;
        for (const Face &face : m_faces) {
            const Program &p = *face.program;
            const double k = 1000.0 / p.unitsPerEm;
            const qsizetype type0 = qsizetype(offsets.size());
            QByteArray widths;
            for (const auto &[glyph, stands] : face.used) {
                widths += QByteArray::number(glyph) + " [";
                put(widths, glyph < p.advances.size() ? p.advances[glyph] * k : 0.0);
                widths += "] ";
            }
            QByteArray cmap = "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                              "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                              "/CMapName /Adobe-Identity-UCS def /CMapType 2 def\n"
                              "1 begincodespacerange <0000> <FFFF> endcodespacerange\n";
            std::vector<std::pair<quint32, QString>> mapped;
            for (const auto &[glyph, stands] : face.used)
                if (!stands.isEmpty())
                    mapped.emplace_back(glyph, stands);
            for (size_t i = 0; i < mapped.size(); i += 100) {
                const size_t n = std::min<size_t>(100, mapped.size() - i);
                cmap += QByteArray::number(qsizetype(n)) + " beginbfchar\n";
                for (size_t j = i; j < i + n; ++j) {
                    cmap += '<';
                    putHex4(cmap, mapped[j].first);
                    cmap += "> <";
                    for (QChar ch : mapped[j].second)
                        putHex4(cmap, ch.unicode());
                    cmap += ">\n";
                }
                cmap += "endbfchar\n";
            }
            cmap += "endcmap CMapName currentdict /CMap defineresource pop end end\n";
            object("<< /Type /Font /Subtype /Type0 /BaseFont /" + p.baseName + " /Encoding /Identity-H "
                   "/DescendantFonts [" + ref(type0 + 1) + "] /ToUnicode " + ref(type0 + 4) + " >>");
            QByteArray box;
            for (qint16 v : p.box) {
                put(box, v * k);
                box += ' ';
            }
            QByteArray asc, desc;
            put(asc, p.ascender * k);
            put(desc, p.descender * k);
            object("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + p.baseName
                   + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> "
                     "/FontDescriptor " + ref(type0 + 2) + " /CIDToGIDMap /Identity /W [" + widths + "] >>");
            object("<< /Type /FontDescriptor /FontName /" + p.baseName + " /Flags 32 /FontBBox [" + box
                   + "] /ItalicAngle 0 /Ascent " + asc + " /Descent " + desc + " /CapHeight " + asc
                   + " /StemV 80 /FontFile2 " + ref(type0 + 3) + " >>");
            stream("/Filter /FlateDecode /Length1 " + QByteArray::number(p.length), p.packed);
            stream("/Filter /FlateDecode", deflate(cmap, Z_DEFAULT_COMPRESSION));
            fontDict += '/' + face.resource + ' ' + ref(type0) + ' ';
        }
        object("<< /Font << " + fontDict + ">> >>");

        QByteArray mediaBox;
        put(mediaBox, l.paper.width() * ptPerMm);
        mediaBox += ' ';
        put(mediaBox, l.paper.height() * ptPerMm);
        for (const QByteArray &content : pages) {
            const qsizetype page = qsizetype(offsets.size());
            object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + mediaBox + "] /Resources " + ref(resources)
                   + " /Contents " + ref(page + 1) + " >>");
            stream("/Filter /FlateDecode", content);
        }
        const qsizetype info = object("<< /Title " + pdfText(l.name) + " /Creator (tabel) /Producer (tabel) "
                                      "/CreationDate (D:" + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddhhmmss")).toLatin1()
                                      + "Z) >>");

        const qsizetype xref = out.size();
        out += "xref\n0 " + QByteArray::number(qsizetype(offsets.size())) + "\n0000000000 65535 f \n";
        for (size_t i = 1; i < offsets.size(); ++i)
            out += QByteArray::number(offsets[i]).rightJustified(10, '0') + " 00000 n \n";
        out += "trailer\n<< /Size " + QByteArray::number(qsizetype(offsets.size())) + " /Root 1 0 R /Info "
            + ref(info) + " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";

        QSaveFile f(path);
        if (!f.open(QIODevice::WriteOnly))
            return false;
        f.write(out);
        return f.commit();
    }

    const Document &m_doc;
    std::vector<LayoutFont> m_fonts;
    std::vector<std::vector<int>> m_fontOf; // band, element: layout font
    std::vector<Face> m_faces;
    double m_pageHeight = 0;
};

} // namespace

Outcome write(const Document &document, const QString &path)
{
    return Writer(document).run(path);
}

} // namespace tabel::report::pdf
