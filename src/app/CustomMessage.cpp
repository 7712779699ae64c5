#include "app/CustomMessage.h"

#include <QApplication>
#include <QThread>

#include "uikit/CustomMsgDlg.h"

namespace orvane {
namespace {

std::atomic<bool> g_messageOpen{false};

int RunBox(const QString& text, const QString& caption, int type) {
    CCustomMsgDlg box(text, caption, type);
    return box.DoModal();
}

}  // namespace

int ShowCustomMessage(const QString& text, const QString& caption, int type) {
    if (g_messageOpen.exchange(true))
        return -1;
    int result = kIdCancel;
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app)) {
        // No window system in this process: nobody can answer; the box counts as closed.
    } else if (QThread::currentThread() == app->thread()) {
        result = RunBox(text, caption, type);
    } else {
        QMetaObject::invokeMethod(
            app, [&] { result = RunBox(text, caption, type); }, Qt::BlockingQueuedConnection);
    }
    g_messageOpen = false;
    return result;
}

int ShowCustomMessage(std::u16string_view text, const char16_t* caption, int type) {
    return ShowCustomMessage(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())),
                             caption ? QString::fromUtf16(caption) : QString(), type);
}

bool IsCustomMessageOpen() {
    return g_messageOpen.load();
}

const std::atomic<bool>& CustomMessageOpenFlag() {
    return g_messageOpen;
}

}  // namespace orvane
