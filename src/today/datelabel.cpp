#include "today/datelabel.h"

#include <QGlyphRun>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QtEndian>

#include <array>
#include <cmath>
#include <optional>

namespace {

using Digits = std::array<quint32, 10>;

// The glyphs named aj247 ... aj256 in a TrueType font's glyph names (post
// table, format 2), or nothing.
std::optional<Digits> findHalfWidthDigits(const QRawFont &font)
{
    const QByteArray post = font.fontTable("post");
    const auto *data = reinterpret_cast<const uchar *>(post.constData());
    if (post.size() < 34 || qFromBigEndian<quint32>(data) != 0x00020000)
        return std::nullopt;
    const int glyphCount = qFromBigEndian<quint16>(data + 32);
    qsizetype at = 34 + 2 * qsizetype(glyphCount);
    QList<QByteArrayView> names; // the names past the 258 standard ones
    while (at < post.size()) {
        const int length = data[at];
        names << QByteArrayView(post).sliced(at + 1, qMin<qsizetype>(length, post.size() - at - 1));
        at += 1 + length;
    }
    Digits digits{};
    int found = 0;
    for (qsizetype glyph = 0; glyph < glyphCount && 34 + 2 * glyph + 1 < post.size(); ++glyph) {
        const int name = qFromBigEndian<quint16>(data + 34 + 2 * glyph) - 258;
        if (name < 0 || name >= names.size() || !names[name].startsWith("aj2"))
            continue;
        bool ok = false;
        const int digit = names[name].sliced(2).toInt(&ok) - 247;
        if (ok && digit >= 0 && digit <= 9) {
            digits[std::size_t(digit)] = quint32(glyph);
            ++found;
        }
    }
    return found == 10 ? std::optional(digits) : std::nullopt;
}

// Looked up once per face: the table is the size of the glyph count.
const std::optional<Digits> &halfWidthDigits(const QRawFont &font)
{
    static QHash<QString, std::optional<Digits>> known;
    const QString face = font.familyName() + u'/' + font.styleName();
    auto it = known.find(face);
    if (it == known.end())
        it = known.insert(face, findHalfWidthDigits(font));
    return *it;
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

bool DateLabel::halfWidthRun(QGlyphRun &run, qreal &width) const
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
    QPainterPath ink;
    qreal x = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        positions << QPointF(x, 0);
        ink.addPath(font.pathForGlyph(glyphs[i]).translated(x, 0));
        x += advances[i].x();
    }
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    // Italic leans past the last advance.
    width = qMax(x, ink.boundingRect().right());
    return true;
}

bool DateLabel::drawsHalfWidthDigits() const
{
    QGlyphRun run;
    qreal width = 0;
    return halfWidthRun(run, width);
}

QSize DateLabel::sizeHint() const
{
    QGlyphRun run;
    qreal width = 0;
    if (!halfWidthRun(run, width))
        return QLabel::sizeHint();
    return {int(std::ceil(width)), QLabel::sizeHint().height()};
}

void DateLabel::paintEvent(QPaintEvent *event)
{
    QGlyphRun run;
    qreal width = 0;
    if (!halfWidthRun(run, width)) {
        QLabel::paintEvent(event);
        return;
    }
    // The line centred as a plain label centres it.
    const QFontMetricsF metrics(font());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawGlyphRun(QPointF(0, (height() - metrics.height()) / 2 + metrics.ascent()), run);
}
