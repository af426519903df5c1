#include "progress/SkillSection.h"

#include "progress/ReportFigures.h"
#include "progress/SkillFigures.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

namespace {

QLabel *label(const QString &text, int px, bool bold = false)
{
    auto *l = new QLabel(text);
    QFont f = l->font();
    f.setPixelSize(px);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

} // namespace

SkillSection::SkillSection(const SkillFigures &figures, QWidget *parent) : QWidget(parent)
{
    auto *v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    v->addWidget(label(tr("现在的水平"), 17, true));
    auto *levels = new QGridLayout;
    levels->setHorizontalSpacing(18);
    for (int op = 0; op < OpCount; ++op) {
        const LevelFigure &level = figures.Levels[op];
        QString text = tr("还没做过");
        if (!level.Line.isEmpty())
            text = tr("%1（约做对%2%）").arg(level.Line).arg(std::lround(100 * level.Success));
        else if (level.Played)
            text = tr("还在打基础");
        levels->addWidget(label(OperationName(op), 15), op, 0);
        levels->addWidget(label(text, 15, !level.Line.isEmpty()), op, 1);
    }
    levels->setColumnStretch(2, 1);
    v->addLayout(levels);

    v->addWidget(label(tr("接下来练"), 17, true));
    if (figures.Next.empty()) {
        v->addWidget(label(tr("先做一些题，就知道接下来练什么了。"), 15));
        return;
    }
    auto *next = new QGridLayout;
    next->setHorizontalSpacing(24);
    for (size_t i = 0; i < figures.Next.size(); ++i) {
        const int r = static_cast<int>(i % 4), c = static_cast<int>(i / 4) * 2;
        next->addWidget(label(figures.Next[i].Text, 20), r, c);
        QLabel *note = label(figures.Next[i].Note, 14);
        note->setStyleSheet(QStringLiteral("color: #5f6368;"));
        next->addWidget(note, r, c + 1);
    }
    next->setColumnStretch(4, 1);
    v->addLayout(next);
}
