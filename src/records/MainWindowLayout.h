#pragma once

#include "intl/Twips.h"

#include <QSize>

#include <algorithm>
#include <array>
#include <cmath>

// Where the main window's controls stand, by object name. The service list takes whatever
// room the window is given beyond the layout's own size, the search box above it and the rule
// under the toolbar the width; every other control keeps its place.
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
    {"Search", {20, 2655, 5190, 345}},
    {"List2", {20, 3030, 5190, 2565}},
};

// The window's outer width in twips, as the layout was drawn: with it the field widths below
// are the layout's own.
inline constexpr int outerWidth = 5615;

// The fields' places once the labels took the widths of their translated captions: every
// field starts 100 twips right of the labels' rightmost edge (rounded to a whole twip, a half
// to the even one); Username and Password take the window's outer width less the "Hide"
// box's left edge, plus its width and 400; Service that plus the box's width and 450;
// Other Info and Path as wide as Service.
inline std::array<Twips, 5> correctedFields(const std::array<double, 5> &labelRights)
{
    constexpr Twips check1 {4005, 1470, 840, 255};
    const double widest = *std::max_element(labelRights.begin(), labelRights.end());
    const int left = int(std::nearbyint(widest)) + 100;
    const int narrow = outerWidth - check1.left + check1.width + 400;
    const int wide = narrow + check1.width + 450;
    std::array<Twips, 5> fields;
    for (int i = 0; i < 5; ++i) {
        const Twips &place = places[1 + i].twips;
        fields[i] = {left, place.top, i == 1 || i == 2 ? narrow : wide, place.height};
    }
    return fields;
}

// The place in pixels when the client area has the given size.
inline QRect placeOf(const Place &place, QSize client)
{
    QRect rect = place.twips.toPixels();
    const QSize extra = (client - clientSize).expandedTo({0, 0});
    if (qstrcmp(place.name, "List2") == 0)
        rect.setSize(rect.size() + extra);
    else if (qstrcmp(place.name, "Search") == 0 || qstrcmp(place.name, "Frame1") == 0)
        rect.setWidth(rect.width() + extra.width());
    return rect;
}

} // namespace MainWindowLayout
