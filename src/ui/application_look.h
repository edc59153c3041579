// The stored look of the window ("ApplicationLook", per user). Every value
// gives the one look the window has.
#pragma once

#include <QSettings>

class QApplication;

namespace tessaril::ui {

inline constexpr int kDefaultApplicationLook = 215;

int StoredApplicationLook(QSettings& settings);
void StoreApplicationLook(QSettings& settings, int look);
// The look: the Fusion style with a light palette.
void ApplyApplicationLook(QApplication& application, int look);

}  // namespace tessaril::ui
