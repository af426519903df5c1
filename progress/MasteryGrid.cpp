#include "progress/MasteryGrid.h"

#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace {

const int CellWidth = 56, CellHeight = 32;

} // namespace

MasteryGrid::MasteryGrid(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void MasteryGrid::setCells(int rows, int columns, const std::vector<FactCell> &cells)
{
    m_rows = rows;
    m_columns = columns;
    m_cells = cells;
    m_cells.resize(static_cast<size_t>(std::max(0, rows * columns)));
    updateGeometry();
    update();
}

QColor MasteryGrid::colourOf(Mastery state)
{
    switch (state) {
    case Mastery::NeverTried:
        return QColor(228, 228, 228);
    case Mastery::MostlyWrong:
        return QColor(244, 143, 136);
    case Mastery::Mixed:
        return QColor(253, 214, 99);
    case Mastery::MostlyRight:
        return QColor(129, 201, 149);
    }
    return Qt::white;
}

QString MasteryGrid::nameOf(Mastery state)
{
    switch (state) {
    case Mastery::NeverTried:
        return tr("没做过");
    case Mastery::MostlyWrong:
        return tr("常做错");
    case Mastery::Mixed:
        return tr("有对有错");
    case Mastery::MostlyRight:
        return tr("大多做对");
    }
    return QString();
}

QSize MasteryGrid::sizeHint() const
{
    return QSize(m_columns * CellWidth + 1, m_rows * CellHeight + 1);
}

QSize MasteryGrid::minimumSizeHint() const
{
    return QSize(m_columns * CellWidth * 3 / 4 + 1, m_rows * CellHeight * 3 / 4 + 1);
}

QRectF MasteryGrid::cellRect(int row, int column) const
{
    const double w = (width() - 1.0) / std::max(1, m_columns);
    const double h = (height() - 1.0) / std::max(1, m_rows);
    return QRectF(column * w, row * h, w, h);
}

int MasteryGrid::cellAt(const QPoint &p) const
{
    if (m_rows == 0 || m_columns == 0 || width() <= 1 || height() <= 1) return -1;
    const int c = static_cast<int>(p.x() * m_columns / (width() - 1.0));
    const int r = static_cast<int>(p.y() * m_rows / (height() - 1.0));
    if (r < 0 || r >= m_rows || c < 0 || c >= m_columns) return -1;
    return r * m_columns + c;
}

void MasteryGrid::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = (width() - 1.0) / std::max(1, m_columns);
    const double h = (height() - 1.0) / std::max(1, m_rows);
    // As large as the cells allow, the widest text still inside its cell.
    QFont f = font();
    int px = std::clamp(static_cast<int>(h * 0.5), 8, 40);
    f.setPixelSize(px);
    int widest = 0;
    for (const FactCell &cell : m_cells)
        widest = std::max(widest, QFontMetrics(f).horizontalAdvance(cell.Text));
    if (widest > w * 0.85 && widest > 0) px = std::max(6, static_cast<int>(px * w * 0.85 / widest));
    f.setPixelSize(px);
    p.setFont(f);
    for (int r = 0; r < m_rows; ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const FactCell &cell = m_cells[static_cast<size_t>(r * m_columns + c)];
            const QRectF rect = cellRect(r, c).adjusted(1, 1, -1, -1);
            p.setPen(Qt::NoPen);
            p.setBrush(colourOf(cell.State));
            p.drawRoundedRect(rect, 3, 3);
            p.setPen(cell.State == Mastery::NeverTried ? QColor(140, 140, 140)
                                                       : QColor(40, 40, 40));
            p.drawText(rect, Qt::AlignCenter, cell.Text);
        }
    }
}

bool MasteryGrid::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const int i = cellAt(help->pos());
        if (i < 0) {
            QToolTip::hideText();
            e->ignore();
            return true;
        }
        const FactCell &cell = m_cells[static_cast<size_t>(i)];
        const QString text = cell.Tries == 0 ? tr("%1：还没做过").arg(cell.Text)
                                             : tr("%1：做了%2次，一次做对%3次")
                                                   .arg(cell.Text)
                                                   .arg(cell.Tries)
                                                   .arg(cell.Right);
        QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(e);
}

MasteryLegend::MasteryLegend(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (Mastery m :
         {Mastery::NeverTried, Mastery::MostlyWrong, Mastery::Mixed, Mastery::MostlyRight}) {
        auto *swatch = new QLabel(this);
        swatch->setFixedSize(18, 18);
        swatch->setStyleSheet(QStringLiteral("background: %1; border-radius: 3px;")
                                  .arg(MasteryGrid::colourOf(m).name()));
        row->addWidget(swatch);
        row->addWidget(new QLabel(MasteryGrid::nameOf(m), this));
        row->addSpacing(12);
    }
    row->addStretch(1);
}
