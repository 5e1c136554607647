#include "QtClipboard.h"

#include "Log.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QThread>

namespace zelk {

bool QtClipboard::withClipboard(const char* method, const std::function<void()>& fn)
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) {
        zlog("QtClipboard", method) << "no window system: no clipboard";
        return false;
    }
    if (QThread::currentThread() == app->thread()) {
        watch();
        fn();
    } else {
        QMetaObject::invokeMethod(
            app,
            [this, &fn] {
                watch();
                fn();
            },
            Qt::BlockingQueuedConnection);
    }
    return true;
}

// On the main thread. Qt tells of every change, ours included (synchronously
// for our own writes), so the count is exact once watching began.
void QtClipboard::watch()
{
    std::call_once(m_watching, [this] {
        QObject::connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, QGuiApplication::clipboard(),
                         [this] { ++m_changes; });
    });
}

quint64 QtClipboard::changeCount()
{
    withClipboard("changeCount", [] {});
    return m_changes.load();
}

std::optional<QString> QtClipboard::text()
{
    std::optional<QString> text;
    withClipboard("text", [&text] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (data && data->hasText())
            text = data->text();
    });
    return text;
}

void QtClipboard::setText(const QString& text)
{
    withClipboard("setText", [&text] {
        auto* data = new QMimeData;
        data->setText(text);
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

QList<ClipboardItem> QtClipboard::items()
{
    QList<ClipboardItem> items;
    withClipboard("items", [&items] {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        if (!data)
            return;
        for (const QString& type : data->formats())
            items.append({type, data->data(type)});
    });
    return items;
}

void QtClipboard::setItems(const QList<ClipboardItem>& items)
{
    withClipboard("setItems", [&items] {
        auto* data = new QMimeData;
        for (const ClipboardItem& item : items)
            data->setData(item.type, item.data);
        QGuiApplication::clipboard()->setMimeData(data);
    });
}

} // namespace zelk
