#include "DisplayConnection.h"

namespace DisplayConnection {

namespace {

// Tried last: a desktop that cannot be reached starts this one instead of aborting.
constexpr char fallback[] = "offscreen";

} // namespace

bool named()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("DISPLAY");
}

std::unique_ptr<QGuiApplication> open(int &argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (!wayland && qEnvironmentVariableIsEmpty("DISPLAY"))
            return nullptr;
        qputenv("QT_QPA_PLATFORM", QByteArray(wayland ? "wayland;xcb;" : "xcb;") + fallback);
        auto application = std::make_unique<QGuiApplication>(argc, argv);
        if (QGuiApplication::platformName() == QLatin1String(fallback))
            return nullptr;
        return application;
    }
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace DisplayConnection
