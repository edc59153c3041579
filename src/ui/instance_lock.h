// One window per user session: a lock on a file in the user's runtime
// folder, held until the process ends (the system drops it even after a
// crash).
#pragma once

#include <QString>
#include <memory>

namespace tessaril::ui {

class InstanceLock {
 public:
  // The lock, or null when another process (or another lock here) holds it.
  static std::unique_ptr<InstanceLock> Acquire(const QString& path);
  // $XDG_RUNTIME_DIR/tessaril.lock, else the temporary folder's per-user file.
  static QString DefaultPath();

  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();

 private:
  explicit InstanceLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace tessaril::ui
