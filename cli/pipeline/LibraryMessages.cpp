#include "pipeline/LibraryMessages.h"

#include <QString>
#include <QtGlobal>
#include <mutex>

namespace vidorama::cli {

namespace {

thread_local LibraryMessages* t_collector = nullptr;
QtMessageHandler g_previous = nullptr;

void Collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (t_collector && type != QtFatalMsg) {
        t_collector->add(message.trimmed().toStdString());
        return;
    }
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

LibraryMessages::LibraryMessages() : m_outer(t_collector) {
    static std::once_flag installed;
    std::call_once(installed, [] { g_previous = qInstallMessageHandler(Collect); });
    t_collector = this;
}

LibraryMessages::~LibraryMessages() {
    t_collector = m_outer;
}

void LibraryMessages::add(const std::string& message) {
    if (m_count++ == 0)
        m_first = message;
}

std::string LibraryMessages::note() const {
    if (m_count == 0)
        return {};
    std::string text = "the picture decoders reported damage: " + m_first;
    if (m_count > 1)
        text += " (and " + std::to_string(m_count - 1) + " more such messages)";
    return text;
}

} // namespace vidorama::cli
