#include "ui/application_look.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace tessaril::ui {

namespace {
constexpr const char* kLookKey = "ApplicationLook";
}  // namespace

int StoredApplicationLook(QSettings& settings) {
  return settings.value(kLookKey, kDefaultApplicationLook).toInt();
}

void StoreApplicationLook(QSettings& settings, int look) { settings.setValue(kLookKey, look); }

void ApplyApplicationLook(QApplication& application, int) {
  if (QStyle* fusion = QStyleFactory::create("Fusion")) application.setStyle(fusion);
  QPalette palette = application.style()->standardPalette();
  palette.setColor(QPalette::Window, QColor(0xDF, 0xE9, 0xF5));
  palette.setColor(QPalette::Highlight, QColor(0x33, 0x7A, 0xB7));
  application.setPalette(palette);
}

}  // namespace tessaril::ui
