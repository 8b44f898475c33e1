#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <type_traits>
#include <utility>

namespace vidorama {

// Runs f on the thread that owns context and returns its result. From another
// thread the caller waits until the call is done, as with a sent window
// message; a thread waiting on the owner must keep serving such calls.
template <typename F> auto CallOnOwnerThread(QObject* context, F&& f) {
    using R = std::invoke_result_t<F>;
    if (QThread::currentThread() == context->thread())
        return f();
    if constexpr (std::is_void_v<R>) {
        QMetaObject::invokeMethod(context, std::forward<F>(f), Qt::BlockingQueuedConnection);
    } else {
        R result{};
        QMetaObject::invokeMethod(
            context, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
}

} // namespace vidorama
