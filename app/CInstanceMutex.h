#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;
class QSharedMemory;
class QLocalServer;

namespace vidorama {

class MessageBoxes;

// Only one instance of the program works at a time for one user. The first
// publishes its main window's handle, as eight lower-case hexadecimal digits,
// in a named shared block; a later start reads it and asks that window,
// through a local socket of the same name, to come to the front and to open
// the movie the later start was given.
class CInstanceMutex {
public:
    static constexpr char kBlockName[] = "A7F924B9-EB6A-449f-85B5-80B37EEA954C";
    static constexpr int kBlockSize = 8;

    // runtimeDirectory: where the per-user block key and socket live.
    CInstanceMutex(MessageBoxes& messages, QString runtimeDirectory);
    ~CInstanceMutex();
    CInstanceMutex(const CInstanceMutex&) = delete;
    CInstanceMutex& operator=(const CInstanceMutex&) = delete;

    // Called on the window's thread with a movie a later start hands over.
    using OpenMovie = std::function<void(const QString& path)>;

    void Publish(QWidget* window, OpenMovie openMovie = {});
    // True when a running instance answered: it has come to the front and
    // will open `movie` (an absolute path; "" for none).
    bool FindRunningInstance(const QString& movie = {});

    // The handle a window is published under.
    static std::uint32_t WindowHandle(const QWidget* window);
    static QString FormatHandle(std::uint32_t handle);

private:
    QString BlockKey() const;
    QString SocketName() const;
    void ListenForActivation(QWidget* window, std::uint32_t handle, OpenMovie openMovie);

    MessageBoxes& m_messages;
    QString m_runtimeDirectory;
    std::unique_ptr<QSharedMemory> m_hMapping;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace vidorama
