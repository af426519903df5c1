#include "BoardMarks.h"

#include <QFontMetrics>
#include <QtMath>
#include <algorithm>

QRect MarkRect(const DrawOp &op)
{
    switch (op.kind) {
    case DrawOp::Text: {
        static const bool substituted = (installFontSubstitutions(), true);
        Q_UNUSED(substituted);
        Bitmap::Font font;
        font.face = QStringLiteral("Comic Sans MS");
        font.size = op.size;
        const QFontMetrics fm(qtFont(font));
        // A text's edge is ink too.
        const int edge = op.edge.isValid() ? qCeil(Bitmap::TextEdgeWidth(op.size)) : 0;
        return fm.tightBoundingRect(op.text)
            .translated(op.p1.x(), op.p1.y() + fm.ascent())
            .adjusted(-edge, -edge, edge, edge);
    }
    case DrawOp::Line:
    case DrawOp::Frame: {
        const int half = std::max(1, op.size) / 2 + (op.edge.isValid() ? Bitmap::EdgeWidth : 0);
        return QRect(QPoint(std::min(op.p1.x(), op.p2.x()), std::min(op.p1.y(), op.p2.y())),
                     QPoint(std::max(op.p1.x(), op.p2.x()), std::max(op.p1.y(), op.p2.y())))
            .adjusted(-half, -half, half, half);
    }
    case DrawOp::Fill:
        return QRect(op.p1, op.p2 - QPoint(1, 1));
    case DrawOp::Ellipse:
    case DrawOp::Picture:
        break;
    }
    return QRect();
}

QStringList MarksOutside(const std::vector<DrawOp> &ops, const QRect &area)
{
    QStringList out;
    for (const DrawOp &op : ops) {
        const QRect r = MarkRect(op);
        if (!r.isEmpty() && !area.contains(r))
            out << QStringLiteral("'%1' at (%2,%3)").arg(op.text).arg(r.x()).arg(r.y());
    }
    return out;
}
