// The settings dialog reading its nine files: the first byte picks the file the rest of the
// input replaces (the others keep the shipped content), then the dialog is shown and every
// operation's lists take a move each way.
#include "FuzzSupport.h"

#include "platform/Errors.h"
#include "settings/SetFiles.h"
#include "settings/uSet.h"

#include <QListWidget>
#include <memory>

namespace {

QString fileFor(uint8_t selector)
{
    const int i = selector % 9;
    return QStringLiteral("Set/") + (i == 8 ? SetFiles::Basic : TSetForm::ListFile(i));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzzInit();
    static TSetForm *dialog = new TSetForm(fuzzFolders().setFolder(), fuzzReporter());
    if (size == 0) return 0;
    static QString replaced;
    // What the last input replaced gets its shipped content back.
    if (!replaced.isEmpty()) {
        const QByteArray shipped = fuzzShipped(replaced);
        fuzzWrite(replaced, reinterpret_cast<const uint8_t *>(shipped.constData()),
                  static_cast<size_t>(shipped.size()));
    }
    replaced = fileFor(data[0]);
    fuzzWrite(replaced, data + 1, size - 1);
    try {
        dialog->FormShow();
    } catch (const RuntimeError &) {
    }
    for (int i = 0; i < 8; ++i) {
        QListWidget *list = dialog->List(i);
        if (list->count() > 0) list->item(list->count() / 2)->setSelected(true);
    }
    dialog->SpeedButton1Click();
    dialog->SpeedButton4Click();
    dialog->SpeedButton5Click();
    dialog->SpeedButton8Click();
    (void)dialog->Lines(1);
    // Nothing of this input outlives it, so the fuzzer's leak check stays quiet.
    for (int i = 0; i < 8; ++i)
        dialog->List(i)->clear();
    return 0;
}
