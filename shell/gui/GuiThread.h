#pragma once
// Qt draws only on its GUI thread, while the conversion job runs on a worker. Calls the
// job makes into the window (questions, progress window start and end, the viewer) are
// carried over to the thread of a context object and waited for.

#include <type_traits>
#include <utility>

#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace slidemill {

// Runs `f` on `context`'s thread and returns its result; directly when already there.
template <typename F>
auto RunOnThreadOf(QObject* context, F&& f) -> std::invoke_result_t<F> {
    using R = std::invoke_result_t<F>;
    if (QThread::currentThread() == context->thread()) return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

}  // namespace slidemill
