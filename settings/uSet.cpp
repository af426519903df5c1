#include "settings/uSet.h"

#include "core/Def.h"
#include "platform/Art.h"
#include "platform/Errors.h"
#include "settings/DialogPlacement.h"
#include "settings/SetFiles.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QToolButton>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new QLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

template <class Button> Button *makeToggle(QWidget *parent, const QString &text, int x, int y)
{
    auto *b = new Button(text, parent);
    b->move(x, y);
    b->adjustSize();
    return b;
}

QListWidget *makeList(QWidget *parent, int x)
{
    auto *l = new QListWidget(parent);
    l->setGeometry(x, 40, 153, 145);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    return l;
}

// The arrow's shape in the button's text colour: the shared glyphs are drawn light, for the
// game's dark window, and would vanish on a light button.
QIcon arrowIcon(const QString &glyph, const QColor &colour)
{
    QImage shape(artSource(glyph, qGuiApp->devicePixelRatio()));
    if (shape.isNull()) return QIcon();
    shape = shape.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&shape);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(shape.rect(), colour);
    p.end();
    return QIcon(QPixmap::fromImage(shape));
}

QToolButton *makeArrow(QWidget *parent, const char *glyph, const char *fallback, int y)
{
    auto *b = new QToolButton(parent);
    b->setGeometry(184, y, 23, 22);
    const QIcon icon =
        arrowIcon(QString::fromLatin1(glyph), b->palette().color(QPalette::ButtonText));
    if (icon.isNull())
        b->setText(QString::fromUtf8(fallback));
    else
        b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    return b;
}

// The row a line takes in a sorted list: after the lines that sort before or equal to it.
int sortedRow(const QListWidget *list, const QString &text)
{
    int row = 0;
    while (row < list->count() && !SetFiles::ListLess(text, list->item(row)->text()))
        ++row;
    return row;
}

} // namespace

TSetForm::TSetForm(const QString &setFolder, Reporter &reporter, QWidget *parent)
    : QDialog(parent), m_setFolder(setFolder), m_reporter(reporter)
{
    setWindowTitle(tr("设置"));
    // A fixed dialog border: a title and a close button, nothing to resize or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(847, 561);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    setFont(f);

    const struct
    {
        const char *title;
        int x, y;
    } groups[4] = {
        {QT_TR_NOOP("加法设置"), 24, 16},
        {QT_TR_NOOP("减法设置"), 24, 232},
        {QT_TR_NOOP("乘法设置"), 432, 16},
        {QT_TR_NOOP("除法设置"), 432, 232}};
    QGroupBox **groupBoxes[4] = {&GroupBox1, &GroupBox2, &GroupBox3, &GroupBox4};
    QLabel **offeredLabels[4] = {&Label1, &Label4, &Label7, &Label9};
    QLabel **chosenLabels[4] = {&Label2, &Label5, &Label8, &Label10};
    QListWidget **lists[8] = {&ListBox1, &ListBox2, &ListBox3, &ListBox4,
                              &ListBox5, &ListBox6, &ListBox7, &ListBox8};
    QToolButton **arrows[8] = {&SpeedButton1, &SpeedButton2, &SpeedButton3, &SpeedButton4,
                               &SpeedButton5, &SpeedButton6, &SpeedButton7, &SpeedButton8};
    for (int op = 0; op < 4; ++op) {
        auto *g = new QGroupBox(tr(groups[op].title), this);
        g->setGeometry(groups[op].x, groups[op].y, 385, 209);
        *groupBoxes[op] = m_groups[op] = g;
        *offeredLabels[op] = makeLabel(g, tr("选项"), 16, 24);
        *chosenLabels[op] = makeLabel(g, tr("设置"), 216, 24);
        QListWidget *offered = makeList(g, 16);
        QListWidget *chosen = makeList(g, 216);
        *lists[2 * op] = m_lists[2 * op] = offered;
        *lists[2 * op + 1] = m_lists[2 * op + 1] = chosen;
        offered->addItems(SetFiles::Sorted(SetFiles::DefaultItems(op)));
        QToolButton *right = makeArrow(g, ":/art/arrow_right.png", "→", 80);
        QToolButton *left = makeArrow(g, ":/art/arrow_left.png", "←", 120);
        *arrows[2 * op] = right;
        *arrows[2 * op + 1] = left;
        connect(right, &QToolButton::clicked, this, [this, op] { MoveToChosen(op); });
        connect(left, &QToolButton::clicked, this, [this, op] { MoveToOffered(op); });
        connect(offered, &QListWidget::itemDoubleClicked, this, [this, op] { MoveToChosen(op); });
        connect(chosen, &QListWidget::itemDoubleClicked, this, [this, op] { MoveToOffered(op); });
    }

    Label3 = makeLabel(this, tr("小朋友是"), 24, 464);
    RadioButton1 = makeToggle<QRadioButton>(this, tr("男孩"), 104, 464);
    RadioButton2 = makeToggle<QRadioButton>(this, tr("女孩"), 176, 464);
    Label6 = makeLabel(this, tr("选择的算术："), 24, 488);
    CheckBox1 = makeToggle<QCheckBox>(this, tr("加法"), 104, 488);
    CheckBox2 = makeToggle<QCheckBox>(this, tr("减法"), 176, 488);
    CheckBox3 = makeToggle<QCheckBox>(this, tr("乘法"), 248, 488);
    CheckBox4 = makeToggle<QCheckBox>(this, tr("除法"), 312, 488);
    m_ops[0] = CheckBox1;
    m_ops[1] = CheckBox2;
    m_ops[2] = CheckBox3;
    m_ops[3] = CheckBox4;
    AddDecMultiStepCheck = makeToggle<QCheckBox>(this, tr("分步做题 (仅限加减法)"), 432, 464);
    HintCheck = makeToggle<QCheckBox>(this, tr("进行提示"), 432, 488);
    ReviewCheck = makeToggle<QCheckBox>(this, tr("复习做错的题"), 432, 512);
    RadioButton1->setChecked(true);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(true);
    CheckBox3->setChecked(true);
    HintCheck->setChecked(true);
    AddDecMultiStepCheck->setChecked(true);
    ReviewCheck->setChecked(true);

    Button1 = new QPushButton(tr("确定"), this);
    Button1->setGeometry(104, 520, 75, 25);
    Button2 = new QPushButton(tr("取消"), this);
    Button2->setGeometry(248, 520, 75, 25);
    // Neither button is the default: Enter in a list must not save the settings.
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TSetForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TSetForm::Button2Click);

    // A window shortcut sees the key before the focused control does.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { FormKeyDown(Qt::Key_Escape); });
}

QString TSetForm::ListFile(int i)
{
    return i % 2 == 0 ? SetFiles::ItemList(i / 2) : SetFiles::SetList(i / 2);
}

QStringList TSetForm::Lines(int i) const
{
    QStringList out;
    for (int row = 0; row < m_lists[i]->count(); ++row)
        out << m_lists[i]->item(row)->text();
    return out;
}

void TSetForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window restored from the task bar is not shown anew: the edits stay, and so does
    // the place.
    if (event->spontaneous()) return;
    CentreOnScreen(*this);
    guarded(m_reporter, [this] { FormShow(); });
    for (int op = 0; op < 4; ++op)
        m_groups[op]->setEnabled(ListsRead(op));
}

void TSetForm::FormShow()
{
    for (bool &read : m_read)
        read = false;
    for (QCheckBox *box : m_ops)
        box->setChecked(false);
    LoadBasic();
    for (int i = 0; i < 8; ++i) {
        const QStringList lines = SetFiles::ReadLines(m_setFolder, ListFile(i));
        m_lists[i]->clear();
        m_lists[i]->addItems(SetFiles::Sorted(lines));
        m_read[i] = true;
    }
}

void TSetForm::LoadBasic()
{
    const QStringList lines = SetFiles::ReadLines(m_setFolder, SetFiles::Basic);
    if (HasZero(LineAt(lines, 0)))
        RadioButton1->setChecked(true);
    else
        RadioButton2->setChecked(true);
    QString alg = LineAt(lines, 1);
    alg.remove(0, alg.indexOf(QLatin1Char('=')) + 1);
    while (!alg.isEmpty()) {
        const qsizetype comma = alg.indexOf(QLatin1Char(','));
        // A last code without its "," is read as the empty text before the missing ",".
        const int code = StrictInt(comma < 0 ? QString() : alg.left(comma));
        alg.remove(0, comma + 1);
        // Codes no operation answers to are ignored.
        if (code >= 0 && code < 4) m_ops[code]->setChecked(true);
    }
    HintCheck->setChecked(!HasZero(LineAt(lines, 2)));
    AddDecMultiStepCheck->setChecked(!HasZero(LineAt(lines, 3)));
    ReviewCheck->setChecked(SetFiles::ReviewOn(lines));
}

QStringList TSetForm::ShownBasic() const
{
    QList<int> ops;
    for (int op = 0; op < 4; ++op) {
        if (m_ops[op]->isChecked()) ops << op;
    }
    return SetFiles::BasicLines(!RadioButton1->isChecked(), ops, HintCheck->isChecked(),
                                AddDecMultiStepCheck->isChecked(), ReviewCheck->isChecked());
}

void TSetForm::MoveToChosen(int op)
{
    if (!ListsRead(op)) return;
    Move(m_lists[2 * op], m_lists[2 * op + 1]);
}

void TSetForm::MoveToOffered(int op)
{
    // The last chosen line stays: an engine needs at least one type to draw from.
    if (!ListsRead(op) || m_lists[2 * op + 1]->count() == 1) return;
    Move(m_lists[2 * op + 1], m_lists[2 * op]);
}

void TSetForm::Move(QListWidget *from, QListWidget *to)
{
    const QList<QListWidgetItem *> selected = from->selectedItems();
    if (selected.isEmpty()) return;
    QListWidgetItem *item = from->takeItem(from->row(selected.first()));
    // No line stays selected, as after a deletion: a second click moves nothing.
    from->clearSelection();
    to->insertItem(sortedRow(to, item->text()), item);
}

void TSetForm::WriteAll()
{
    QList<std::pair<QString, QStringList>> files;
    for (int i = 0; i < 8; ++i) {
        if (ListsRead(i / 2)) files.append({ListFile(i), Lines(i)});
    }
    files.append({SetFiles::Basic, ShownBasic()});
    // A line moved between two lists must land in one of them: the files change together.
    SetFiles::WriteTogether(m_setFolder, files);
}

void TSetForm::Button1Click()
{
    // The result is OK even when the files cannot be written; the game then rereads the
    // unchanged files.
    setResult(QDialog::Accepted);
    try {
        WriteAll();
    } catch (const RuntimeError &e) {
        m_reporter.showError(tr("设置没有保存，所有设置文件都保持原样。\n") +
                             e.message());
    }
    done(QDialog::Accepted);
}

void TSetForm::Button2Click()
{
    reject();
}

void TSetForm::FormKeyDown(int key)
{
    if (key == Qt::Key_Escape) reject();
}
