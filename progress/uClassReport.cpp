#include "progress/uClassReport.h"

#include "platform/Clock.h"
#include "progress/MasteryGrid.h"
#include "progress/uReport.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <memory>

namespace {

QString percent(int part, int whole)
{
    if (whole <= 0) return QStringLiteral("—");
    return QString::number(std::lround(100.0 * part / whole)) + QLatin1Char('%');
}

QString seconds(int64_t ms)
{
    if (ms < 0) return QStringLiteral("—");
    return TClassReportForm::tr("%1秒").arg(ms / 1000.0, 0, 'f', 1);
}

QLabel *label(const QString &text, int px, bool bold = false)
{
    auto *l = new QLabel(text);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

// The cells of the children's table, row by row, as the window and the PDF show them.
QStringList columnNames()
{
    return {TClassReportForm::tr("座位"), TClassReportForm::tr("名字"),
            TClassReportForm::tr("做完"), TClassReportForm::tr("一次就做对"),
            TClassReportForm::tr("每题用时（中位数）")};
}

QStringList cellsOf(const ClassChild &c)
{
    return {c.seat, c.name, TClassReportForm::tr("%1道").arg(c.solved),
            percent(c.firstTry, c.tried), seconds(c.medianMs)};
}

QString childTitle(const ClassChild &c)
{
    return TClassReportForm::tr("%1（座位 %2）").arg(c.name, c.seat);
}

QWidget *missedBox(const std::vector<MissedFact> &missed)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(label(TClassReportForm::tr("全班最常做错的题"), 17, true));
    if (missed.empty()) {
        v->addWidget(label(TClassReportForm::tr("这段时间全班没有做错的题。"), 15));
        return box;
    }
    auto *g = new QGridLayout;
    g->setHorizontalSpacing(24);
    for (size_t i = 0; i < missed.size(); ++i) {
        auto *count = label(TClassReportForm::tr("错了%1次").arg(missed[i].Wrong), 15);
        count->setStyleSheet(QStringLiteral("color: #b3261e;"));
        const int r = static_cast<int>(i % 5), c = static_cast<int>(i / 5) * 2;
        g->addWidget(label(missed[i].Text, 22), r, c);
        g->addWidget(count, r, c + 1);
    }
    g->setColumnStretch(4, 1);
    v->addLayout(g);
    return box;
}

MasteryGrid *grid(int rows, int columns, const std::vector<FactCell> &cells)
{
    auto *g = new MasteryGrid;
    g->setCells(rows, columns, cells);
    return g;
}

QWidget *gridsBox(const ReportFigures &f)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(label(TClassReportForm::tr("乘法口诀表"), 17, true));
    v->addWidget(grid(9, 9, f.TimesTable), 9);
    auto *pair = new QHBoxLayout;
    for (const auto &[title, cells] :
         {std::pair{TClassReportForm::tr("20以内加法"), &f.Addition},
          std::pair{TClassReportForm::tr("20以内减法"), &f.Subtraction}}) {
        auto *column = new QVBoxLayout;
        column->addWidget(label(title, 17, true));
        column->addWidget(grid(10, 10, *cells), 1);
        pair->addLayout(column);
    }
    v->addLayout(pair, 10);
    v->addWidget(new MasteryLegend);
    return box;
}

// The children as a grid of labels, for the printed page.
QWidget *childrenPage(const ClassFigures &f)
{
    auto *box = new QWidget;
    auto *g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(18);
    const QStringList head = columnNames();
    for (int c = 0; c < head.size(); ++c)
        g->addWidget(label(head[c], 13, true), 0, c);
    for (size_t r = 0; r < f.children.size(); ++r) {
        const QStringList cells = cellsOf(f.children[r]);
        for (int c = 0; c < cells.size(); ++c)
            g->addWidget(label(cells[c], 13), int(r) + 1, c);
    }
    g->setColumnStretch(head.size(), 1);
    return box;
}

} // namespace

TClassReportForm::TClassReportForm(const ClassSettings &settings, Clock &clock, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_clock(clock),
      m_loader(new ClassFiguresLoader(settings, this))
{
    setWindowTitle(tr("全班"));
    setModal(true);

    PeriodBox = new QComboBox;
    PeriodBox->addItem(tr("最近7天"), int(ReportPeriod::Last7Days));
    PeriodBox->addItem(tr("最近30天"), int(ReportPeriod::Last30Days));
    PeriodBox->addItem(tr("全部"), int(ReportPeriod::Everything));
    RefreshButton = new QPushButton(tr("刷新"));
    ExportButton = new QPushButton(tr("导出"));
    CloseButton = new QPushButton(tr("关闭"));
    for (QPushButton *b : {RefreshButton, ExportButton, CloseButton})
        b->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("时间：")));
    bar->addWidget(PeriodBox);
    bar->addWidget(RefreshButton);
    bar->addStretch(1);
    bar->addWidget(ExportButton);
    bar->addWidget(CloseButton);

    Title = label(QString(), 24, true);
    StatusLabel = label(QString(), 22);
    StatusLabel->setAlignment(Qt::AlignCenter);
    StatusLabel->setWordWrap(true);

    Children = new QTableWidget(0, int(columnNames().size()));
    Children->setHorizontalHeaderLabels(columnNames());
    Children->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Children->setSelectionBehavior(QAbstractItemView::SelectRows);
    Children->setSelectionMode(QAbstractItemView::SingleSelection);
    Children->verticalHeader()->hide();
    Children->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    Children->setMinimumHeight(220);
    ChildTitle = label(QString(), 20, true);
    m_missed = new QWidget;
    m_grids = new QWidget;

    auto *content = new QWidget;
    m_body = new QVBoxLayout(content);
    m_body->addWidget(Children, 2);
    m_body->addWidget(m_missed);
    m_body->addWidget(ChildTitle);
    m_body->addWidget(m_grids, 3);
    ClassArea = new QScrollArea;
    ClassArea->setWidgetResizable(true);
    ClassArea->setFrameShape(QFrame::NoFrame);
    ClassArea->setWidget(content);
    Pages = new QStackedWidget;
    Pages->addWidget(StatusLabel);
    Pages->addWidget(ClassArea);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Title);
    layout->addWidget(Pages, 1);

    connect(PeriodBox, &QComboBox::currentIndexChanged, this, &TClassReportForm::refresh);
    connect(RefreshButton, &QPushButton::clicked, this, &TClassReportForm::refresh);
    connect(ExportButton, &QPushButton::clicked, this, &TClassReportForm::ExportButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Children, &QTableWidget::currentCellChanged, this, [this](int row) { showChild(row); });
    connect(m_loader, &ClassFiguresLoader::figuresLoaded, this, &TClassReportForm::setFigures);
    connect(m_loader, &ClassFiguresLoader::rawRowsLoaded, this, &TClassReportForm::writeExport);
    connect(m_loader, &ClassFiguresLoader::failed, this, &TClassReportForm::showFailure);

    const QScreen *s = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize area = s ? s->availableGeometry().size() : QSize(1024, 768);
    resize(std::min(1200, area.width() * 95 / 100), std::min(960, area.height() * 92 / 100));
    refresh();
}

void TClassReportForm::setPeriod(ReportPeriod p)
{
    PeriodBox->setCurrentIndex(PeriodBox->findData(int(p)));
}

ReportPeriod TClassReportForm::period() const
{
    return static_cast<ReportPeriod>(PeriodBox->currentData().toInt());
}

QString TClassReportForm::titleText() const
{
    return tr("%1全班的成绩（%2）").arg(m_settings.className, PeriodBox->currentText());
}

QDateTime TClassReportForm::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_clock.utcMilliseconds(), Qt::UTC);
}

void TClassReportForm::refresh()
{
    Title->setText(titleText());
    StatusLabel->setText(tr("正在从全班的服务器读成绩……"));
    Pages->setCurrentWidget(StatusLabel);
    ExportButton->setEnabled(false);
    m_loader->loadFigures(period(), now());
}

void TClassReportForm::showFailure(const QString &why)
{
    if (!m_exportPath.isEmpty()) {
        m_exportPath.clear();
        emit exported(false, why);
        return;
    }
    StatusLabel->setText(tr("全班的服务器现在读不到：\n%1").arg(why));
    Pages->setCurrentWidget(StatusLabel);
}

void TClassReportForm::setFigures(const ClassFigures &figures)
{
    m_figures = figures;
    Title->setText(titleText());
    ExportButton->setEnabled(true);
    if (figures.empty()) {
        StatusLabel->setText(tr("这段时间全班还没有做题记录。"));
        Pages->setCurrentWidget(StatusLabel);
        return;
    }
    Children->setRowCount(int(figures.children.size()));
    for (size_t r = 0; r < figures.children.size(); ++r) {
        const QStringList cells = cellsOf(figures.children[r]);
        for (int c = 0; c < cells.size(); ++c)
            Children->setItem(int(r), c, new QTableWidgetItem(cells[c]));
    }
    QWidget *missed = missedBox(figures.missed);
    delete m_body->replaceWidget(m_missed, missed);
    delete m_missed;
    m_missed = missed;
    Pages->setCurrentWidget(ClassArea);
    Children->setCurrentCell(0, 0);
    showChild(0);
}

void TClassReportForm::showChild(int row)
{
    if (row < 0 || row >= int(m_figures.children.size())) return;
    const ClassChild &c = m_figures.children[size_t(row)];
    ChildTitle->setText(childTitle(c));
    QWidget *grids = gridsBox(c.figures);
    delete m_body->replaceWidget(m_grids, grids);
    delete m_grids;
    m_grids = grids;
}

void TClassReportForm::ExportButtonClick()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists()) folder = QDir::homePath();
    const QString suggested =
        tr("全班成绩-%1-%2.pdf")
            .arg(m_settings.className, now().toLocalTime().toString(QStringLiteral("yyyyMMdd")));
    QFileDialog ask(this, tr("导出全班的成绩"), folder, QStringLiteral("PDF (*.pdf)"));
    ask.setAcceptMode(QFileDialog::AcceptSave);
    ask.setDefaultSuffix(QStringLiteral("pdf"));
    ask.setOption(QFileDialog::DontUseNativeDialog);
    ask.selectFile(suggested);
    if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return;
    // The rows come from the server first; the files are written when they are here.
    m_exportPath = ask.selectedFiles().constFirst();
    ExportButton->setEnabled(false);
    m_loader->loadRawRows(period(), now());
}

void TClassReportForm::writeExport(const QList<QStringList> &rows)
{
    const QString path = m_exportPath;
    m_exportPath.clear();
    ExportButton->setEnabled(true);
    if (path.isEmpty()) return;
    QString error;
    const bool ok = exportTo(path, rows, &error);
    emit exported(ok, error);
    QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning, tr("导出"),
                    ok ? tr("全班的成绩已经导出：\n%1\n%2")
                             .arg(QDir::toNativeSeparators(path),
                                  QDir::toNativeSeparators(TReportForm::csvPathFor(path)))
                       : tr("导出没有成功。\n%1").arg(error),
                    QMessageBox::NoButton, this);
    box.addButton(tr("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool TClassReportForm::exportTo(const QString &pdfPath, const QList<QStringList> &rows,
                                QString *error)
{
    auto failed = [&](const QString &file, const QString &why) {
        if (error) *error = QStringLiteral("%1：%2").arg(QDir::toNativeSeparators(file), why);
        return false;
    };
    const QString csvPath = TReportForm::csvPathFor(pdfPath);
    QSaveFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly)) return failed(csvPath, csv.errorString());
    csv.write(CsvText(classRawHeader(), rows));
    if (!csv.commit()) return failed(csvPath, csv.errorString());

    QPdfWriter pdf(pdfPath);
    pdf.setTitle(Title->text());
    pdf.setCreator(QStringLiteral("Sumsprout"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    pdf.setResolution(96);
    QPainter painter;
    if (!painter.begin(&pdf)) return failed(pdfPath, tr("文件写不进去"));
    const QSize pageSize = pdf.pageLayout().paintRectPixels(pdf.resolution()).size();

    // The class on the first page, then one page for each child's grids.
    struct Page
    {
        QString heading;
        std::vector<QWidget *> parts;
        // The grids fill their page; the lists stay at the top of theirs.
        bool fill = false;
    };
    std::vector<Page> pages;
    if (m_figures.empty())
        pages.push_back({Title->text(), {label(StatusLabel->text(), 18)}});
    else
        pages.push_back({Title->text(), {childrenPage(m_figures), missedBox(m_figures.missed)}});
    for (const ClassChild &c : m_figures.children)
        pages.push_back({childTitle(c), {gridsBox(c.figures)}, true});
    const QString stamp = now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) pdf.newPage();
        auto page = std::make_unique<QWidget>();
        page->setAttribute(Qt::WA_DontShowOnScreen);
        auto *v = new QVBoxLayout(page.get());
        v->setContentsMargins(0, 0, 0, 0);
        v->addWidget(label(pages[i].heading, 22, true));
        v->addWidget(label(
            tr("导出时间：%1    第%2页，共%3页").arg(stamp).arg(i + 1).arg(pages.size()), 12));
        for (QWidget *w : pages[i].parts)
            v->addWidget(w, pages[i].fill ? 1 : 0);
        if (!pages[i].fill) v->addStretch(1);
        page->setFixedSize(pageSize);
        page->show();
        page->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        page->hide();
    }
    if (!painter.end()) return failed(pdfPath, tr("文件写不完整"));
    return true;
}
