#include "ui/frame_signals.h"

namespace tessaril::ui {

FrameSignals::FrameSignals() {
  qRegisterMetaType<std::shared_ptr<tessaril::ViewerOutcome>>();
  qRegisterMetaType<std::shared_ptr<tessaril::PageView>>();
  qRegisterMetaType<std::shared_ptr<tessaril::ui::ExportDone>>();
}

}  // namespace tessaril::ui
