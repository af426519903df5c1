#include "game/CoinSaver.h"

#include "game/CoinBank.h"
#include "platform/ErrorText.h"
#include "platform/Errors.h"

#include <QCoreApplication>

bool CoinSaver::Save()
{
    try {
        m_bank.SaveMoney();
        m_unsaved = false;
        m_told = false;
        return true;
    } catch (const RuntimeError &e) {
        m_unsaved = true;
        if (!m_told) {
            // Told before the box opens: the game goes on inside it and may save again.
            m_told = true;
            m_reporter.showError(QCoreApplication::translate(
                                     "CoinSaver", "硬币没能存进文件。\n%1\n硬币先记在游戏里，"
                                                  "下次答题或者退出游戏的时候再存。")
                                     .arg(ErrorText(e)));
        }
        return false;
    }
}

void CoinSaver::Reload()
{
    if (m_unsaved && !Save()) return;
    m_bank.LoadMoney();
}
