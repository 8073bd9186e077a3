#pragma once

#include "Twips.h"

#include <QSize>

// Where the main window's controls stand, by object name. The service list takes whatever
// room the window is given beyond the layout's own size; every other control keeps its place.
namespace MainWindowLayout {

struct Place
{
    const char *name;
    Twips twips;
};

inline constexpr QSize clientSize {Twips::pixels(5235), Twips::pixels(5625)};

inline constexpr Place places[] = {
    {"Frame1", {-15, 630, 5190, 30}}, // the rule under the toolbar
    {"Text1(0)", {1005, 690, 4110, 360}},
    {"Text1(1)", {1005, 1050, 2850, 360}},
    {"Text1(2)", {1005, 1410, 2850, 360}},
    {"Text1(3)", {1005, 1770, 4110, 360}},
    {"Text1(4)", {1005, 2160, 4110, 360}},
    {"Label4", {60, 825, 540, 195}},
    {"Label1", {60, 1170, 720, 195}},
    {"Label2", {60, 1545, 690, 195}},
    {"Label3", {60, 1905, 705, 195}},
    {"Label5", {60, 2280, 330, 195}},
    {"Check2", {4005, 1110, 1035, 285}},
    {"Check1", {4005, 1470, 840, 255}},
    {"List2", {20, 2655, 5190, 2940}},
};

// The place in pixels when the client area has the given size.
inline QRect placeOf(const Place &place, QSize client)
{
    QRect rect = place.twips.toPixels();
    if (qstrcmp(place.name, "List2") == 0) {
        const QSize extra = (client - clientSize).expandedTo({0, 0});
        rect.setSize(rect.size() + extra);
    }
    return rect;
}

} // namespace MainWindowLayout
