#include "today/datelabel.h"

#include <QGlyphRun>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
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

} // namespace

void DateLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

bool DateLabel::halfWidthRun(QGlyphRun &run, qreal &advance) const
{
    const QString label = text();
    if (label.isEmpty() || !std::all_of(label.begin(), label.end(), needsNoShaping))
        return false;
    const QRawFont font = QRawFont::fromFont(this->font());
    QList<quint32> glyphs = font.glyphIndexesForString(label);
    if (glyphs.size() != label.size() || glyphs.contains(0))
        return false;
    const std::optional<Digits> &digits = halfWidthDigits(font);
    if (!digits)
        return false;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] >= u'0' && label[i] <= u'9')
            glyphs[i] = (*digits)[std::size_t(label[i].unicode() - u'0')];
    }
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    qreal x = 0;
    for (const QPointF &step : advances) {
        positions << QPointF(x, 0);
        x += step.x();
    }
    advance = x;
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return true;
}

bool DateLabel::drawsHalfWidthDigits() const
{
    QGlyphRun run;
    qreal advance = 0;
    return halfWidthRun(run, advance);
}

QSize DateLabel::sizeHint() const
{
    QGlyphRun run;
    qreal advance = 0;
    if (!halfWidthRun(run, advance))
        return QLabel::sizeHint();
    // Italic leans the glyphs right, by at most a quarter of the ascent.
    const qreal width = advance + (font().italic() ? run.rawFont().ascent() / 4 : 0);
    return {int(std::ceil(width)), QLabel::sizeHint().height()};
}

void DateLabel::paintEvent(QPaintEvent *event)
{
    QGlyphRun run;
    qreal advance = 0;
    if (!halfWidthRun(run, advance)) {
        QLabel::paintEvent(event);
        return;
    }
    // The line centred as a plain label centres it.
    const QFontMetricsF metrics(font());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawGlyphRun(QPointF(0, (height() - metrics.height()) / 2 + metrics.ascent()), run);
}
