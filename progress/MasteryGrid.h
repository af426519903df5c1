#pragma once

#include "progress/ReportFigures.h"

#include <QColor>
#include <QWidget>
#include <vector>

// A grid of facts, each cell written as the child writes the fact and coloured by how often
// it was right.
class MasteryGrid : public QWidget
{
    Q_OBJECT

public:
    explicit MasteryGrid(QWidget *parent = nullptr);

    void setCells(int rows, int columns, const std::vector<FactCell> &cells);
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    const std::vector<FactCell> &cells() const { return m_cells; }

    static QColor colourOf(Mastery state);
    static QString nameOf(Mastery state);
    // A cell judged for fluency shows it instead, by colour and by a symbol (full, half,
    // empty), so that it reads without colour too.
    static QColor colourOf(Fluency state);
    static QString nameOf(Fluency state);
    static QString symbolOf(Fluency state);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    int cellAt(const QPoint &p) const;
    QRectF cellRect(int row, int column) const;
    int m_rows = 0;
    int m_columns = 0;
    std::vector<FactCell> m_cells;
};

// The four colours with their names, for beside the grids.
class MasteryLegend : public QWidget
{
    Q_OBJECT

public:
    explicit MasteryLegend(QWidget *parent = nullptr);
};

// The fluency states with their colours and symbols, for beside the grids.
class FluencyLegend : public QWidget
{
    Q_OBJECT

public:
    // thresholdMs: what counts as fast.
    explicit FluencyLegend(int64_t thresholdMs, QWidget *parent = nullptr);
};
