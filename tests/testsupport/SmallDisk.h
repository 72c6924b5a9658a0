#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <unistd.h>

namespace kolvar::test {

// A file system of 256 KiB of its own (tmpfs), so that a test can fill it or make it read-only
// the way a full or read-only disk fails; unmounted at the end. Mounting needs root: a test
// skips, saying so, when mounted() is false.
class SmallDisk
{
public:
    SmallDisk()
        : m_mounted(::geteuid() == 0
              && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                     "size=256k")
                  == 0)
    { }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    [[nodiscard]] bool mounted() const { return m_mounted; }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString path(const QString& name) const { return m_dir.filePath(name); }

    // Takes every free block with a file of its own.
    void fill() const
    {
        QFile filler(path(QStringLiteral("wypelniacz")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(512, 'x');
        while (filler.write(block) > 0) { }
    }
    [[nodiscard]] bool makeReadOnly() const
    {
        return ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr,
                   MS_REMOUNT | MS_RDONLY, nullptr)
            == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted;
};

} // namespace kolvar::test
