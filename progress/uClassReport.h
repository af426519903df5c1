#pragma once

#include "progress/ClassFigures.h"

#include <QDialog>
#include <QString>

class Clock;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTableWidget;
class QVBoxLayout;

// The teacher's view "全班": every seat's children with their problems, first-try accuracy
// and time, each child's grids, and the facts the class misses most. The figures come from
// the class server through ClassFiguresLoader, so the game never waits for it.
class TClassReportForm : public QDialog
{
    Q_OBJECT

public:
    // settings: a connection whose user may read the class (the teacher's).
    TClassReportForm(const ClassSettings &settings, Clock &clock, QWidget *parent = nullptr);

    void setPeriod(ReportPeriod period);
    ReportPeriod period() const;
    const ClassFigures &figures() const { return m_figures; }
    // Shows figures as if just read from the server.
    void setFigures(const ClassFigures &figures);
    // Shows the child of that row of the table.
    void showChild(int row);

    // Writes the view as a PDF at pdfPath and rows as CSV beside it (same name, ".csv").
    // False with the reason in error when a file could not be written.
    bool exportTo(const QString &pdfPath, const QList<QStringList> &rows, QString *error = nullptr);

    QComboBox *PeriodBox;
    QPushButton *RefreshButton;
    QPushButton *ExportButton;
    QPushButton *CloseButton;
    QLabel *Title;
    QStackedWidget *Pages;
    QLabel *StatusLabel;
    QScrollArea *ClassArea;
    QTableWidget *Children;
    QLabel *ChildTitle;

signals:
    // After an export started by the button, with the reason when it failed.
    void exported(bool ok, const QString &error);

public slots:
    void refresh();
    void ExportButtonClick();

private:
    void showFailure(const QString &why);
    void writeExport(const QList<QStringList> &rows);
    QString titleText() const;
    QDateTime now() const;

    ClassSettings m_settings;
    Clock &m_clock;
    ClassFiguresLoader *m_loader;
    ClassFigures m_figures;
    QWidget *m_missed;
    QWidget *m_grids;
    QVBoxLayout *m_body;
    QString m_exportPath;
};
