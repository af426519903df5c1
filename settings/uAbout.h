#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

// The About box: the program's name, a wish for the child, and a link to the parents' guide
// that ships beside the game.
class TAboutForm : public QDialog
{
    Q_OBJECT

public:
    // helpPage is the parents' guide, Help/index.html among the shipped data.
    explicit TAboutForm(const QString &helpPage, QWidget *parent = nullptr);

    QLabel *Label1, *Label5, *Label4;
    QPushButton *Button1;

    // The guide page's address.
    QUrl HelpUrl() const;
    // How the link is opened; tests capture the address instead of starting a browser.
    std::function<bool(const QUrl &)> OpenUrl;

public slots:
    void Label4Click();
    void Button1Click();
    void FormKeyDown(int key);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowAddress();
    QString m_helpPage;
};
