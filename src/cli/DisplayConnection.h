#pragma once

#include <QGuiApplication>

#include <memory>

// The application object of a command that uses the desktop. None without a display: no
// DISPLAY nor WAYLAND_DISPLAY (nor a platform chosen by QT_QPA_PLATFORM), or a platform
// plugin that cannot start.
namespace DisplayConnection {

std::unique_ptr<QGuiApplication> open(int &argc, char **argv);
// Whether the environment names a display or a platform.
bool named();

} // namespace DisplayConnection
