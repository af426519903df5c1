#include "progress/uReport.h"

#include "platform/Clock.h"
#include "progress/Journal.h"
#include "progress/MasteryGrid.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineSeries>
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
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <memory>

namespace {

const QColor OperationColours[4] = {QColor(78, 154, 241), QColor(242, 156, 56), QColor(92, 184, 92),
                                    QColor(163, 111, 214)};

QString percent(int part, int whole)
{
    if (whole <= 0) return QStringLiteral("—");
    return QString::number(std::lround(100.0 * part / whole)) + QLatin1Char('%');
}

QString seconds(int64_t ms)
{
    if (ms < 0) return QStringLiteral("—");
    return TReportForm::tr("%1秒").arg(QString::number(ms / 1000.0, 'f', 1));
}

QLabel *heading(const QString &text, QWidget *parent = nullptr)
{
    auto *l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPixelSize(17);
    f.setBold(true);
    l->setFont(f);
    return l;
}

QLabel *bigLabel(const QString &text, int px)
{
    auto *l = new QLabel(text);
    QFont f = l->font();
    f.setPixelSize(px);
    l->setFont(f);
    return l;
}

QChartView *chartView(QChart *chart, int minimumHeight)
{
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 4, 4));
    QFont title = chart->titleFont();
    title.setPixelSize(16);
    title.setBold(true);
    chart->setTitleFont(title);
    auto *view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(minimumHeight);
    return view;
}

// A value axis from 0 with whole-number steps up to at least top.
QValueAxis *countAxis(double top, const QString &format)
{
    auto *axis = new QValueAxis;
    const double step = top <= 5 ? 1 : std::ceil(top / 5.0);
    axis->setRange(0, std::max(step, std::ceil(top / step) * step));
    axis->setTickCount(static_cast<int>(axis->max() / step) + 1);
    axis->setLabelFormat(format);
    return axis;
}

QChartView *solvedChart(const ReportFigures &f)
{
    auto *set = new QBarSet(TReportForm::tr("做完的题"));
    set->setColor(QColor(78, 154, 241));
    QStringList labels;
    int top = 0;
    for (const ReportBucket &b : f.Buckets) {
        *set << b.Solved;
        labels << b.Label;
        top = std::max(top, b.Solved);
    }
    auto *series = new QBarSeries;
    series->append(set);
    auto *chart = new QChart;
    chart->setTitle(TReportForm::tr("每天做完的题（道）"));
    chart->addSeries(series);
    chart->legend()->hide();
    auto *x = new QBarCategoryAxis;
    x->append(labels);
    if (labels.size() > 10) x->setLabelsAngle(-90);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis *y = countAxis(top, QStringLiteral("%d"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chartView(chart, 260);
}

QChartView *accuracyChart(const ReportFigures &f)
{
    auto *series = new QBarSeries;
    auto *set = new QBarSet(TReportForm::tr("答对的比例"));
    set->setColor(QColor(92, 184, 92));
    set->setLabelColor(Qt::black);
    QStringList labels;
    for (int op = 0; op < 4; ++op) {
        const OperationFigures &o = f.Operations[op];
        if (o.Answers == 0) continue;
        *set << std::round(100.0 * o.RightAnswers / o.Answers);
        labels << OperationName(op);
    }
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value%"));
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    auto *chart = new QChart;
    chart->setTitle(TReportForm::tr("各种算式答对的比例"));
    chart->addSeries(series);
    chart->legend()->hide();
    auto *x = new QBarCategoryAxis;
    x->append(labels);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    y->setRange(0, 100);
    y->setTickCount(6);
    y->setLabelFormat(QStringLiteral("%d%%"));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chartView(chart, 240);
}

QChartView *timeChart(const ReportFigures &f)
{
    auto *chart = new QChart;
    chart->setTitle(TReportForm::tr("每道题用的时间（中位数，秒）"));
    QStringList labels;
    for (const ReportBucket &b : f.Buckets)
        labels << b.Label;
    auto *x = new QBarCategoryAxis;
    x->append(labels);
    if (labels.size() > 10) x->setLabelsAngle(-90);
    chart->addAxis(x, Qt::AlignBottom);
    double top = 0;
    std::vector<QLineSeries *> lines;
    for (int op = 0; op < 4; ++op) {
        auto *line = new QLineSeries;
        line->setName(OperationName(op));
        QPen pen(OperationColours[op], 2.5);
        line->setPen(pen);
        line->setPointsVisible(true);
        for (size_t i = 0; i < f.Buckets.size(); ++i) {
            const int64_t ms = f.Buckets[i].MedianMs[op];
            if (ms < 0) continue;
            line->append(static_cast<double>(i), ms / 1000.0);
            top = std::max(top, ms / 1000.0);
        }
        if (line->count() == 0) {
            delete line;
            continue;
        }
        chart->addSeries(line);
        line->attachAxis(x);
        lines.push_back(line);
    }
    // Headroom, so that the slowest point is not cut by the frame.
    QValueAxis *y = countAxis(top * 1.15, QStringLiteral("%d"));
    chart->addAxis(y, Qt::AlignLeft);
    for (QLineSeries *line : lines)
        line->attachAxis(y);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chartView(chart, 280);
}

QWidget *summary(const ReportFigures &f)
{
    auto *box = new QWidget;
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const struct
    {
        QString value, caption;
    } cards[] = {
        {TReportForm::tr("%1道").arg(f.Solved), TReportForm::tr("做完的题")},
        {percent(f.RightAnswers, f.Answers), TReportForm::tr("答对的比例")},
        {TReportForm::tr("%1道").arg(f.HintProblems), TReportForm::tr("看了提示的题")},
        {TReportForm::tr("%1个").arg(f.Coins), TReportForm::tr("挣到的硬币")},
    };
    for (const auto &c : cards) {
        auto *card = new QFrame;
        card->setObjectName(QStringLiteral("card"));
        card->setStyleSheet(QStringLiteral(
            "QFrame#card { background: #fff8dc; border: 1px solid #e8d9a0; border-radius: 8px; }"));
        auto *v = new QVBoxLayout(card);
        QLabel *value = bigLabel(c.value, 26);
        value->setAlignment(Qt::AlignCenter);
        QLabel *caption = bigLabel(c.caption, 14);
        caption->setAlignment(Qt::AlignCenter);
        v->addWidget(value);
        v->addWidget(caption);
        row->addWidget(card, 1);
    }
    return box;
}

QWidget *operationTable(const ReportFigures &f)
{
    auto *box = new QWidget;
    auto *g = new QGridLayout(box);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(18);
    const QStringList head = {TReportForm::tr("算式"), TReportForm::tr("做完"),
                              TReportForm::tr("答对的比例"), TReportForm::tr("每题用时（中位数）")};
    for (int c = 0; c < head.size(); ++c) {
        QLabel *l = bigLabel(head[c], 14);
        QFont bold = l->font();
        bold.setBold(true);
        l->setFont(bold);
        g->addWidget(l, 0, c);
    }
    for (int op = 0; op < 4; ++op) {
        const OperationFigures &o = f.Operations[op];
        g->addWidget(bigLabel(OperationName(op), 14), op + 1, 0);
        g->addWidget(bigLabel(TReportForm::tr("%1道").arg(o.Solved), 14), op + 1, 1);
        g->addWidget(bigLabel(percent(o.RightAnswers, o.Answers), 14), op + 1, 2);
        g->addWidget(bigLabel(seconds(o.MedianMs), 14), op + 1, 3);
    }
    g->setColumnStretch(4, 1);
    return box;
}

QWidget *missedList(const ReportFigures &f)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(heading(TReportForm::tr("最常做错的题")));
    if (f.Missed.empty()) {
        v->addWidget(bigLabel(TReportForm::tr("这段时间没有做错的题，真棒！"), 15));
        return box;
    }
    auto *g = new QGridLayout;
    g->setHorizontalSpacing(24);
    for (size_t i = 0; i < f.Missed.size(); ++i) {
        const MissedFact &m = f.Missed[i];
        auto *fact = bigLabel(m.Text, 22);
        auto *count = bigLabel(TReportForm::tr("错了%1次").arg(m.Wrong), 15);
        count->setStyleSheet(QStringLiteral("color: #b3261e;"));
        const int r = static_cast<int>(i % 5), c = static_cast<int>(i / 5) * 2;
        g->addWidget(fact, r, c);
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

QWidget *grids(const ReportFigures &f)
{
    auto *box = new QWidget;
    auto *v = new QVBoxLayout(box);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(heading(TReportForm::tr("乘法口诀表")));
    v->addWidget(grid(9, 9, f.TimesTable), 9);
    auto *pair = new QHBoxLayout;
    auto *add = new QVBoxLayout;
    add->addWidget(heading(TReportForm::tr("20以内加法")));
    add->addWidget(grid(10, 10, f.Addition), 1);
    auto *sub = new QVBoxLayout;
    sub->addWidget(heading(TReportForm::tr("20以内减法")));
    sub->addWidget(grid(10, 10, f.Subtraction), 1);
    pair->addLayout(add);
    pair->addLayout(sub);
    v->addLayout(pair, 10);
    v->addWidget(new MasteryLegend);
    return box;
}

// One section of the report; on a printed page the stretch shares out the height.
struct Section
{
    QWidget *Widget;
    int Stretch;
};

// The report's sections, as the window shows them and the PDF prints them, page by page.
std::vector<std::vector<Section>> reportPages(const ReportFigures &f)
{
    return {
        {{summary(f), 0}, {operationTable(f), 0}, {solvedChart(f), 3}, {accuracyChart(f), 2}},
        {{timeChart(f), 3}, {missedList(f), 0}, {new QWidget, 1}},
        {{grids(f), 1}},
    };
}

QLabel *emptyText(const QString &text)
{
    QLabel *l = bigLabel(text, 22);
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
}

} // namespace

TReportForm::TReportForm(const Journal *journal, Clock &clock, QWidget *parent)
    : QDialog(parent), m_journal(journal), m_clock(clock)
{
    setWindowTitle(tr("成绩"));
    setModal(true);

    PlayerBox = new QComboBox;
    PeriodBox = new QComboBox;
    PeriodBox->addItem(tr("最近7天"), int(ReportPeriod::Last7Days));
    PeriodBox->addItem(tr("最近30天"), int(ReportPeriod::Last30Days));
    PeriodBox->addItem(tr("全部"), int(ReportPeriod::Everything));
    RenameButton = new QPushButton(tr("改名字"));
    ExportButton = new QPushButton(tr("导出"));
    CloseButton = new QPushButton(tr("关闭"));
    for (QPushButton *b : {RenameButton, ExportButton, CloseButton})
        b->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("谁：")));
    bar->addWidget(PlayerBox);
    bar->addWidget(RenameButton);
    bar->addSpacing(16);
    bar->addWidget(new QLabel(tr("时间：")));
    bar->addWidget(PeriodBox);
    bar->addStretch(1);
    bar->addWidget(ExportButton);
    bar->addWidget(CloseButton);

    Title = heading(QString());
    QFont big = Title->font();
    big.setPixelSize(24);
    Title->setFont(big);

    EmptyLabel = emptyText(QString());
    ReportArea = new QScrollArea;
    ReportArea->setWidgetResizable(true);
    ReportArea->setFrameShape(QFrame::NoFrame);
    Pages = new QStackedWidget;
    Pages->addWidget(EmptyLabel);
    Pages->addWidget(ReportArea);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(Title);
    layout->addWidget(Pages, 1);

    connect(PlayerBox, &QComboBox::currentIndexChanged, this, &TReportForm::refresh);
    connect(PeriodBox, &QComboBox::currentIndexChanged, this, &TReportForm::refresh);
    connect(RenameButton, &QPushButton::clicked, this, &TReportForm::RenameButtonClick);
    connect(ExportButton, &QPushButton::clicked, this, &TReportForm::ExportButtonClick);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    // Most of the screen, whatever its size; the layouts do the rest.
    const QScreen *s = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize area = s ? s->availableGeometry().size() : QSize(1024, 768);
    resize(std::min(1200, area.width() * 95 / 100), std::min(960, area.height() * 92 / 100));
}

void TReportForm::setPlayers(const std::vector<ReportPlayer> &players, int32_t current)
{
    const QSignalBlocker block(PlayerBox);
    PlayerBox->clear();
    int selected = 0;
    for (size_t i = 0; i < players.size(); ++i) {
        PlayerBox->addItem(players[i].Name, players[i].Player);
        if (players[i].Player == current) selected = static_cast<int>(i);
    }
    PlayerBox->setCurrentIndex(selected);
    refresh();
}

int32_t TReportForm::player() const
{
    return PlayerBox->currentIndex() >= 0 ? PlayerBox->currentData().toInt() : 0;
}

void TReportForm::setPeriod(ReportPeriod p)
{
    PeriodBox->setCurrentIndex(PeriodBox->findData(int(p)));
}

ReportPeriod TReportForm::period() const
{
    return static_cast<ReportPeriod>(PeriodBox->currentData().toInt());
}

QString TReportForm::playerName() const
{
    return PlayerBox->currentText();
}

QString TReportForm::periodName() const
{
    return PeriodBox->currentText();
}

QString TReportForm::titleText() const
{
    return tr("%1的成绩（%2）").arg(playerName(), periodName());
}

QDateTime TReportForm::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_clock.utcMilliseconds(), Qt::UTC);
}

void TReportForm::refresh()
{
    const bool readable = m_journal && m_journal->canRead();
    m_figures = readable ? LoadFigures(*m_journal, player(), period(), now()) : ReportFigures();
    Title->setText(titleText());
    if (m_figures.Empty()) {
        if (!m_journal)
            EmptyLabel->setText(tr("没有做题记录。"));
        else if (!readable)
            EmptyLabel->setText(tr("做题记录打不开：%1").arg(m_journal->failure()));
        else
            EmptyLabel->setText(
                tr("这段时间还没有做题记录。\n先去做几道题，再来看看成绩吧！"));
        Pages->setCurrentWidget(EmptyLabel);
        return;
    }
    auto *content = new QWidget;
    auto *v = new QVBoxLayout(content);
    for (const auto &page : reportPages(m_figures)) {
        for (const Section &section : page)
            v->addWidget(section.Widget);
    }
    ReportArea->setWidget(content);
    Pages->setCurrentWidget(ReportArea);
}

void TReportForm::RenameButtonClick()
{
    if (!Rename || PlayerBox->currentIndex() < 0) return;
    QInputDialog ask(this);
    ask.setWindowTitle(tr("改名字"));
    ask.setLabelText(tr("新名字（最多五个汉字或十个字母）："));
    ask.setTextValue(playerName());
    ask.setOkButtonText(tr("确定"));
    ask.setCancelButtonText(tr("取消"));
    if (ask.exec() != QDialog::Accepted) return;
    const QString saved = Rename(player(), ask.textValue());
    if (saved.isEmpty()) return;
    PlayerBox->setItemText(PlayerBox->currentIndex(), saved);
    Title->setText(titleText());
}

QString TReportForm::csvPathFor(const QString &pdfPath)
{
    const QFileInfo info(pdfPath);
    const QString base = info.suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0
                             ? info.completeBaseName()
                             : info.fileName();
    return info.dir().filePath(base + QStringLiteral(".csv"));
}

void TReportForm::ExportButtonClick()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QDir(folder).exists()) folder = QDir::homePath();
    const QString suggested =
        tr("成绩-%1-%2.pdf")
            .arg(playerName(), now().toLocalTime().toString(QStringLiteral("yyyyMMdd")));
    QFileDialog ask(this, tr("导出成绩"), folder, QStringLiteral("PDF (*.pdf)"));
    ask.setAcceptMode(QFileDialog::AcceptSave);
    ask.setDefaultSuffix(QStringLiteral("pdf"));
    ask.setOption(QFileDialog::DontUseNativeDialog);
    ask.selectFile(suggested);
    if (ask.exec() != QDialog::Accepted || ask.selectedFiles().isEmpty()) return;
    const QString path = ask.selectedFiles().constFirst();
    QString error;
    if (exportTo(path, &error)) {
        QMessageBox box(
            QMessageBox::Information, tr("导出"),
            tr("成绩已经导出：\n%1\n%2")
                .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(csvPathFor(path))),
            QMessageBox::NoButton, this);
        box.addButton(tr("确定"), QMessageBox::AcceptRole);
        box.exec();
    } else {
        QMessageBox box(QMessageBox::Warning, tr("导出"),
                        tr("导出没有成功。\n%1").arg(error), QMessageBox::NoButton,
                        this);
        box.addButton(tr("确定"), QMessageBox::AcceptRole);
        box.exec();
    }
}

bool TReportForm::exportTo(const QString &pdfPath, QString *error)
{
    auto failed = [&](const QString &file, const QString &why) {
        if (error) *error = tr("%1：%2").arg(QDir::toNativeSeparators(file), why);
        return false;
    };

    // The CSV first: written whole or not at all.
    const QString csvPath = csvPathFor(pdfPath);
    QSaveFile csv(csvPath);
    const QList<QStringList> rows = m_journal
                                        ? m_journal->rawRows(player(), PeriodStart(period(), now()))
                                        : QList<QStringList>();
    if (!csv.open(QIODevice::WriteOnly)) return failed(csvPath, csv.errorString());
    csv.write(CsvText(Journal::rawHeader(), rows));
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

    std::vector<std::vector<Section>> pages;
    if (m_figures.Empty())
        pages = {{{emptyText(EmptyLabel->text()), 1}}};
    else
        pages = reportPages(m_figures);
    const QString stamp = now().toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) pdf.newPage();
        // Laid out off screen at the page's size, then drawn as vectors.
        auto page = std::make_unique<QWidget>();
        page->setAttribute(Qt::WA_DontShowOnScreen);
        page->setAutoFillBackground(false);
        auto *v = new QVBoxLayout(page.get());
        v->setContentsMargins(0, 0, 0, 0);
        auto *title = heading(Title->text());
        QFont f = title->font();
        f.setPixelSize(22);
        title->setFont(f);
        v->addWidget(title);
        v->addWidget(bigLabel(tr("导出时间：%1    第%2页，共%3页")
                                  .arg(stamp)
                                  .arg(i + 1)
                                  .arg(pages.size()),
                              12));
        for (const Section &section : pages[i])
            v->addWidget(section.Widget, section.Stretch);
        page->setFixedSize(pageSize);
        page->show();
        // The charts lay out their labels and legends in posted events.
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents();
        // The charts go in as pictures at three times the page's resolution: drawn as vectors
        // their legends and bar labels get lost on the way to the PDF.
        QRegion vectors(page->rect());
        const QList<QChartView *> charts = page->findChildren<QChartView *>();
        for (QChartView *view : charts)
            vectors -= QRect(view->mapTo(page.get(), QPoint()), view->size());
        page->render(&painter, QPoint(), vectors, QWidget::DrawChildren);
        for (QChartView *view : charts) {
            QImage picture(view->size() * 3, QImage::Format_RGB32);
            picture.setDevicePixelRatio(3);
            picture.fill(Qt::white);
            static_cast<QWidget *>(view)->render(&picture);
            painter.drawImage(QRect(view->mapTo(page.get(), QPoint()), view->size()), picture);
        }
        page->hide();
    }
    if (!painter.end()) return failed(pdfPath, tr("文件写不完整"));
    return true;
}
