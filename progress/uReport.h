#pragma once

#include "progress/ReportFigures.h"

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class Clock;
class Journal;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;

// One player the report can be shown for.
struct ReportPlayer
{
    int32_t Player = 0;
    QString Name;
};

// The parents' report "成绩": what a player practised in a period, from the journal.
class TReportForm : public QDialog
{
    Q_OBJECT

public:
    // journal may be null or off: the report then says that nothing was recorded. The
    // periods end at clock's time.
    TReportForm(const Journal *journal, Clock &clock, QWidget *parent = nullptr);

    void setPlayers(const std::vector<ReportPlayer> &players, int32_t current);
    int32_t player() const;
    void setPeriod(ReportPeriod period);
    ReportPeriod period() const;
    const ReportFigures &figures() const { return m_figures; }

    // Renames a player and answers the name as saved, or an empty text when it was refused.
    std::function<QString(int32_t player, const QString &name)> Rename;

    // Writes the report as a PDF at pdfPath and the raw rows as CSV beside it (same name,
    // ".csv"). False with the reason in error when a file could not be written.
    bool exportTo(const QString &pdfPath, QString *error = nullptr);
    static QString csvPathFor(const QString &pdfPath);

    QComboBox *PlayerBox;
    QComboBox *PeriodBox;
    QPushButton *RenameButton;
    QPushButton *ExportButton;
    QPushButton *CloseButton;
    QLabel *Title;
    QStackedWidget *Pages;
    QLabel *EmptyLabel;
    QScrollArea *ReportArea;

public slots:
    void refresh();
    void RenameButtonClick();
    void ExportButtonClick();

private:
    QString playerName() const;
    QString periodName() const;
    QString titleText() const;
    QDateTime now() const;
    const Journal *m_journal;
    Clock &m_clock;
    ReportFigures m_figures;
};
