#pragma once

#include <QWidget>

struct SkillFigures;

// The report's section from the skill model: each operation's level, and "接下来练", what
// the game would give next.
class SkillSection : public QWidget
{
    Q_OBJECT

public:
    explicit SkillSection(const SkillFigures &figures, QWidget *parent = nullptr);
};
