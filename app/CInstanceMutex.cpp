#include "app/CInstanceMutex.h"

#include "ui/MessageBoxes.h"

#include <QDebug>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSharedMemory>
#include <QWidget>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vidorama {

namespace {
constexpr int kActivationTimeoutMs = 3000;
constexpr char kActivated = '1';
constexpr char kNotMine = '0';
// A request is the window's handle, the movie path's length in bytes as
// eight hexadecimal digits, then the path in UTF-8.
constexpr int kLengthDigits = 8;
constexpr qint64 kRequestHeaderSize = CInstanceMutex::kBlockSize + kLengthDigits;
// No file the system can open has a longer path.
constexpr qint64 kMaxMoviePathBytes = PATH_MAX;

QByteArray OpenRequest(const char* handleDigits, const QString& movie) {
    QByteArray path = movie.toUtf8();
    QByteArray request(handleDigits, CInstanceMutex::kBlockSize);
    request += QByteArray::number(path.size(), 16).rightJustified(kLengthDigits, '0');
    return request + path;
}

void BringToFront(QWidget* window) {
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}
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

void CInstanceMutex::Publish(QWidget* window, OpenMovie openMovie) {
    if (!window || WindowHandle(window) == 0) {
        m_messages.show(nullptr, QStringLiteral("Incorrect use class CInstanceMutex!"),
                        QStringLiteral("Message"));
        return;
    }
    QDir().mkpath(m_runtimeDirectory);
    auto block = std::make_unique<QSharedMemory>();
    block->setNativeKey(BlockKey());
    // A block left by an instance that has gone (or one still running that we
    // were not stopped by) is taken over: the newest window wins. The attach
    // goes through a fresh object, because the one whose create failed keeps
    // that failure and refuses to attach.
    if (!block->create(kBlockSize)) {
        block = std::make_unique<QSharedMemory>();
        block->setNativeKey(BlockKey());
        if (!block->attach())
            return;
    }
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
    ListenForActivation(window, handle, std::move(openMovie));
}

void CInstanceMutex::ListenForActivation(QWidget* window, std::uint32_t handle,
                                         OpenMovie openMovie) {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(SocketName());
    if (!m_server->listen(SocketName()))
        return;
    QByteArray mine = FormatHandle(handle).toLatin1();
    QPointer<QWidget> target(window);
    QLocalServer* server = m_server.get();
    auto answer = [mine, target, openMovie](QLocalSocket* peer) {
        if (peer->bytesAvailable() < kRequestHeaderSize)
            return;
        QByteArray header = peer->peek(kRequestHeaderSize);
        bool lengthOk = false;
        qint64 pathBytes = header.mid(kBlockSize).toLongLong(&lengthOk, 16);
        bool wellFormed = lengthOk && pathBytes >= 0 && pathBytes <= kMaxMoviePathBytes;
        if (wellFormed && peer->bytesAvailable() < kRequestHeaderSize + pathBytes)
            return;
        bool forUs = wellFormed && header.left(kBlockSize) == mine && target;
        QString movie;
        if (wellFormed) {
            peer->skip(kRequestHeaderSize);
            movie = QString::fromUtf8(peer->read(pathBytes));
        }
        // One request per connection: whatever else the peer sends is not
        // looked at.
        peer->readAll();
        peer->write(forUs ? &kActivated : &kNotMine, 1);
        peer->disconnectFromServer();
        if (!forUs)
            return;
        // The answer goes out first: opening the movie may show a message,
        // and the later start must not wait for the user to close it.
        QMetaObject::invokeMethod(
            target.data(),
            [target, movie, openMovie] {
                if (!target)
                    return;
                BringToFront(target);
                if (!movie.isEmpty() && openMovie)
                    openMovie(movie);
            },
            Qt::QueuedConnection);
    };
    QObject::connect(server, &QLocalServer::newConnection, server, [server, answer] {
        while (QLocalSocket* peer = server->nextPendingConnection()) {
            QObject::connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            QObject::connect(peer, &QLocalSocket::readyRead, peer,
                             [peer, answer] { answer(peer); });
        }
    });
}

bool CInstanceMutex::FindRunningInstance(const QString& movie) {
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
    socket.write(OpenRequest(digits, movie));
    if (!socket.waitForBytesWritten(kActivationTimeoutMs) ||
        !socket.waitForReadyRead(kActivationTimeoutMs))
        return false;
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kActivated;
}

} // namespace vidorama
