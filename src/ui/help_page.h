// The bundled help page: the README, written out as HTML and opened in the
// default browser.
#pragma once

#include <QString>

namespace tessaril::ui {

// Writes the help page into folder; its path, or empty when it cannot be written.
QString WriteHelpPage(const QString& folder);
// Writes it into the user's cache folder and opens it; false when that fails.
bool OpenHelpPage();

}  // namespace tessaril::ui
