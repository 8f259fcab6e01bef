#include "today/datelabel.h"

#include "shell/log.h"

#include <QFontInfo>
#include <QGlyphRun>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QtEndian>

#include <array>
#include <cmath>
#include <optional>

namespace {

using Digits = std::array<quint32, 10>;

// IPAPGothic holds Adobe-Japan1's glyphs in the order IPAGothic has them
// too. IPAGothic maps "0" to "9" to glyphs 214 to 223, the half-width digits
// (aj247 to aj256); IPAPGothic has them but maps nothing to them. Their
// names would say so, but reading the names means a table of 120 KB at every
// start, so the face is known by cheaper marks: its glyph count, "0" at its
// proportional glyph (aj17), and those ten glyphs half an em wide.
constexpr int IpaGlyphCount = 12728;
constexpr quint32 IpaProportionalZero = 19, IpaHalfWidthZero = 214;

// Narrower than this, a face no longer reads as itself: such a text is cut
// at the edge instead, as a plain label cuts it.
constexpr qreal NarrowestFit = 0.875;

std::optional<Digits> findHalfWidthDigits(const QRawFont &font)
{
    const QByteArray maxp = font.fontTable("maxp");
    if (maxp.size() < 6 || qFromBigEndian<quint16>(maxp.constData() + 4) != IpaGlyphCount
        || font.glyphIndexesForString(QStringLiteral("0")) != QList<quint32>{IpaProportionalZero})
        return std::nullopt;
    Digits digits{};
    QList<quint32> glyphs;
    for (std::size_t digit = 0; digit < digits.size(); ++digit)
        glyphs << (digits[digit] = IpaHalfWidthZero + quint32(digit));
    for (const QPointF &advance : font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics)) {
        if (!qFuzzyCompare(advance.x(), font.pixelSize() / 2))
            return std::nullopt;
    }
    return digits;
}

// Looked up once for the face last asked about: the program has one.
const std::optional<Digits> &halfWidthDigits(const QRawFont &font)
{
    static QString face;
    static std::optional<Digits> digits;
    const QString asked = font.familyName() + u'/' + font.styleName();
    if (asked != face) {
        face = asked;
        digits = findHalfWidthDigits(font);
    }
    return digits;
}

// Scripts drawn the same with and without shaping in these faces.
bool needsNoShaping(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Latin: return !c.isSurrogate();
    default: return false;
    }
}

qreal advanceOf(const QRawFont &font, quint32 glyph)
{
    return font.advancesForGlyphIndexes(QList<quint32>{glyph}).constFirst().x();
}

} // namespace

// The text as the label draws it, from its baseline's left end.
struct DateLabel::Line
{
    qreal width = 0;        // the text's advance and the italic's lean
    bool halfWidth = false; // else drawn as a plain label draws it
    QGlyphRun glyphs;       // everything but the zeros
    QList<qreal> zeros;     // where each zero starts
    QGlyphRun zero;         // the face's own zero, at the origin
    QTransform zeroShape;   // narrowed to a half-width digit, on their line
};

void DateLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

DateLabel::Line DateLabel::line() const
{
    Line line;
    const QString label = text();
    const QFontMetricsF metrics(font());
    // Italic leans the glyphs right, by at most a quarter of the ascent.
    const qreal lean = font().italic() ? metrics.ascent() / 4 : 0;
    line.width = metrics.horizontalAdvance(label) + lean;
    if (label.isEmpty() || !std::all_of(label.begin(), label.end(), needsNoShaping))
        return line;
    const QRawFont font = QRawFont::fromFont(this->font());
    QList<quint32> glyphs = font.glyphIndexesForString(label);
    const std::optional<Digits> &digits = halfWidthDigits(font);
    if (glyphs.size() != label.size() || glyphs.contains(0) || !digits)
        return line;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] >= u'0' && label[i] <= u'9')
            glyphs[i] = (*digits)[std::size_t(label[i].unicode() - u'0')];
    }
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QList<quint32> drawn;
    QList<QPointF> positions;
    qreal x = 0;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == u'0') {
            line.zeros << x;
        } else {
            drawn << glyphs[i];
            positions << QPointF(x, 0);
        }
        x += advances[i].x();
    }
    line.width = x + lean;
    line.halfWidth = true;
    line.glyphs.setRawFont(font);
    line.glyphs.setGlyphIndexes(drawn);
    line.glyphs.setPositions(positions);
    line.zero.setRawFont(font);
    line.zero.setGlyphIndexes({IpaProportionalZero});
    line.zero.setPositions({QPointF()});
    // Narrowed, the zero also leans a little less: half a pixel over its
    // height at 12 points, which does not show.
    const qreal rise =
        font.boundingRect((*digits)[0]).center().y() - font.boundingRect(IpaProportionalZero).center().y();
    line.zeroShape = QTransform(advanceOf(font, (*digits)[0]) / advanceOf(font, IpaProportionalZero), 0, 0, 1, 0, rise);
    return line;
}

// 1, or the share of its width the text is drawn at to fit. Said once.
qreal DateLabel::narrowing(const Line &line) const
{
    const qreal fit = m_room / line.width;
    if (fit >= 1 || fit < NarrowestFit)
        return 1;
    static bool told = false;
    if (!told) {
        told = true;
        qCInfo(lcMirebo, "The date strip narrows \"%s\" in %s to %.1f %% of its width to fit %d pixels.",
               qUtf8Printable(text()), qUtf8Printable(QFontInfo(font()).family()), fit * 100, m_room);
    }
    return fit;
}

QSize DateLabel::sizeHint() const
{
    const Line drawn = line();
    const int width = int(std::ceil(drawn.width * narrowing(drawn)));
    return {std::min(width, m_room), QLabel::sizeHint().height()};
}

void DateLabel::paintEvent(QPaintEvent *event)
{
    const Line drawn = line();
    const qreal narrow = narrowing(drawn);
    if (!drawn.halfWidth && narrow == 1) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.scale(narrow, 1);
    if (!drawn.halfWidth) {
        style()->drawItemText(&painter, QRect(0, 0, int(std::ceil(width() / narrow)), height()), int(alignment()),
                              palette(), isEnabled(), text(), foregroundRole());
        return;
    }
    // The line centred as a plain label centres it.
    const QFontMetricsF metrics(font());
    painter.translate(0, (height() - metrics.height()) / 2 + metrics.ascent());
    painter.setPen(palette().color(foregroundRole()));
    painter.drawGlyphRun({}, drawn.glyphs);
    for (const qreal x : drawn.zeros) {
        painter.save();
        painter.translate(x, 0);
        painter.setTransform(drawn.zeroShape, true);
        painter.drawGlyphRun({}, drawn.zero);
        painter.restore();
    }
}
