#pragma once

#include <QDialog>

class QCheckBox;
class Reporter;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QShowEvent;
class QToolButton;

// The settings dialog: who plays, which operations, hints, step-by-step mode, and for each
// operation the problem types on offer and those chosen for practice. Every show reads the
// nine files of Set/; "确定" writes them.
class TSetForm : public QDialog
{
    Q_OBJECT

public:
    // The dialog edits the files of the Set/ folder setFolder; errors go to reporter.
    TSetForm(const QString &setFolder, Reporter &reporter, QWidget *parent = nullptr);

    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *GroupBox4;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
        *Label10;
    // Odd numbers hold the offered types, even numbers the chosen ones.
    QListWidget *ListBox1, *ListBox2, *ListBox3, *ListBox4, *ListBox5, *ListBox6, *ListBox7,
        *ListBox8;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5,
        *SpeedButton6, *SpeedButton7, *SpeedButton8;
    QRadioButton *RadioButton1, *RadioButton2;
    // CheckBox1 to CheckBox4 stand for operations 0 to 3.
    QCheckBox *CheckBox1, *CheckBox2, *CheckBox3, *CheckBox4;
    QCheckBox *AddDecMultiStepCheck, *HintCheck, *ReviewCheck;
    QPushButton *Button1, *Button2;

    // List i (0 to 7) in reading and writing order, and the file it holds.
    QListWidget *List(int i) const { return m_lists[i]; }
    static QString ListFile(int i);
    QStringList Lines(int i) const;

public slots:
    void FormShow();
    void LoadBasic();
    void SpeedButton1Click() { MoveToChosen(0); }
    void SpeedButton2Click() { MoveToOffered(0); }
    void SpeedButton3Click() { MoveToChosen(1); }
    void SpeedButton4Click() { MoveToOffered(1); }
    void SpeedButton5Click() { MoveToChosen(2); }
    void SpeedButton6Click() { MoveToOffered(2); }
    void SpeedButton7Click() { MoveToChosen(3); }
    void SpeedButton8Click() { MoveToOffered(3); }
    void Button1Click();
    void Button2Click();
    void FormKeyDown(int key);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void MoveToChosen(int op);
    void MoveToOffered(int op);
    void Move(QListWidget *from, QListWidget *to);
    // Both lists of the operation were read on this show.
    bool ListsRead(int op) const { return m_read[2 * op] && m_read[2 * op + 1]; }
    // Basic.dat as the controls show it.
    QStringList ShownBasic() const;
    void WriteAll();

    QListWidget *m_lists[8];
    QCheckBox *m_ops[4];
    QGroupBox *m_groups[4];
    // Whether list i was read from its file on this show. A list whose reading was skipped
    // after an error still shows older content, which must never replace its file; its
    // operation takes no moves, or a line moved out of a list that is written would be lost.
    bool m_read[8] = {};
    QString m_setFolder;
    Reporter &m_reporter;
};
