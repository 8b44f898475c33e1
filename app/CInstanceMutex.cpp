#include "app/CInstanceMutex.h"

#include "app/MessageBoxes.h"

#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSharedMemory>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace vidorama {

namespace {
constexpr int kActivationTimeoutMs = 3000;
constexpr char kActivated = '1';
constexpr char kNotMine = '0';
} // namespace

CInstanceMutex::CInstanceMutex(MessageBoxes& messages, QString runtimeDirectory)
    : m_messages(messages), m_runtimeDirectory(std::move(runtimeDirectory)) {}

CInstanceMutex::~CInstanceMutex() = default;

QString CInstanceMutex::BlockKey() const {
    return QDir(m_runtimeDirectory).filePath(kBlockName);
}

QString CInstanceMutex::SocketName() const {
    return BlockKey() + ".socket";
}

std::uint32_t CInstanceMutex::WindowHandle(const QWidget* window) {
    return static_cast<std::uint32_t>(window->winId());
}

QString CInstanceMutex::FormatHandle(std::uint32_t handle) {
    return QString::asprintf("%08x", handle);
}

void CInstanceMutex::Publish(QWidget* window) {
    if (!window || WindowHandle(window) == 0) {
        m_messages.show(nullptr, QStringLiteral("Incorrect use class CInstanceMutex!"),
                        QStringLiteral("Message"));
        return;
    }
    QDir().mkpath(m_runtimeDirectory);
    auto block = std::make_unique<QSharedMemory>();
    block->setNativeKey(BlockKey());
    // A block left by an instance that has gone (or one still running that we
    // were not stopped by) is taken over: the newest window wins.
    if (!block->create(kBlockSize) && !block->attach())
        return;
    std::uint32_t handle = WindowHandle(window);
    QByteArray digits = FormatHandle(handle).toLatin1();
    // The block is written once per publishing instance and read once per
    // start, without a lock: a key given natively has no semaphore to lock.
    if (!block->data()) {
        block->detach();
        return;
    }
    std::memcpy(block->data(), digits.constData(), kBlockSize);
    m_hMapping = std::move(block);
    ListenForActivation(window, handle);
}

void CInstanceMutex::ListenForActivation(QWidget* window, std::uint32_t handle) {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(SocketName());
    if (!m_server->listen(SocketName()))
        return;
    QByteArray mine = FormatHandle(handle).toLatin1();
    QPointer<QWidget> target(window);
    QLocalServer* server = m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [server, mine, target] {
        while (QLocalSocket* peer = server->nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            QObject::connect(peer, &QLocalSocket::readyRead, peer, [peer, mine, target] {
                if (peer->bytesAvailable() < kBlockSize)
                    return;
                bool forUs = peer->read(kBlockSize) == mine && target;
                if (forUs) {
                    if (target->isMinimized())
                        target->showNormal();
                    target->raise();
                    target->activateWindow();
                }
                peer->write(forUs ? &kActivated : &kNotMine, 1);
                peer->flush();
            });
        }
    });
}

bool CInstanceMutex::FindRunningInstance() {
    QSharedMemory block;
    block.setNativeKey(BlockKey());
    if (!block.attach(QSharedMemory::ReadOnly))
        return false;
    qDebug("hOpenedFileMapping=%s", qPrintable(BlockKey()));
    char digits[kBlockSize + 1] = {};
    if (!block.constData() || block.size() < kBlockSize) {
        block.detach();
        return false;
    }
    qDebug("pMapView=%p", block.constData());
    std::memcpy(digits, block.constData(), kBlockSize);
    block.detach();
    unsigned long handle = std::strtoul(digits, nullptr, 16);
    qDebug("hWnd=%lu", handle);
    if (handle == 0)
        return false;

    // The handle names an existing window only if the instance that owns it
    // is still there to answer; a block left by a crash finds nobody.
    QLocalSocket socket;
    socket.connectToServer(SocketName());
    if (!socket.waitForConnected(kActivationTimeoutMs))
        return false;
    socket.write(digits, kBlockSize);
    if (!socket.waitForBytesWritten(kActivationTimeoutMs) ||
        !socket.waitForReadyRead(kActivationTimeoutMs))
        return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kActivated;
}

} // namespace vidorama
