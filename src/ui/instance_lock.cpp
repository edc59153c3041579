#include "ui/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

namespace tessaril::ui {

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

QString InstanceLock::DefaultPath() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + "/tessaril.lock";
  return QDir::tempPath() + QString("/tessaril-%1.lock").arg(::getuid());
}

InstanceLock::~InstanceLock() { ::close(fd_); }

}  // namespace tessaril::ui
