#include "game/PlayerNames.h"

#include "game/CoinBank.h"
#include "platform/TextFiles.h"

#include <QCoreApplication>

namespace {

// The players the button offers; 1 shares the child's account.
const int32_t Players[] = {0, 2, 3, 4};

bool fitsTheFile(char32_t c)
{
    if (c < 0x20 || c == U'=' || c == 0x7F) return false;
    const QString one = QString::fromUcs4(&c, 1);
    return gbkDecode(gbkEncode(one)) == one;
}

} // namespace

QString NameRefusal(const CoinBank &bank, int32_t player, const QString &name)
{
    const QString typed = name.trimmed();
    if (typed.isEmpty()) return QCoreApplication::translate("PlayerNames", "名字不能是空的。");
    QString unfit;
    for (char32_t c : typed.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!fitsTheFile(c) && !unfit.contains(one)) unfit += one;
    }
    if (!unfit.isEmpty())
        return QCoreApplication::translate("PlayerNames", "名字里有存不下的字：%1").arg(unfit);
    if (gbkEncode(typed).size() > 10)
        return QCoreApplication::translate("PlayerNames", "名字太长了，最多五个汉字或者十个字母。");
    for (int32_t other : Players) {
        if (CoinBank::AccountIndex(other) == CoinBank::AccountIndex(player)) continue;
        if (bank.NameOf(other).trimmed() == typed)
            return QCoreApplication::translate("PlayerNames", "“%1”已经是别人的名字了。")
                .arg(typed);
    }
    return {};
}
