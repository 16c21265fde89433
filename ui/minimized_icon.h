// Where a minimised window draws its icon, in both windows: in the middle of
// its client area, half a pixel rounding up.
#pragma once

struct IconPlace {
    int x, y;
};

inline IconPlace MinimizedIconPlace(int clientWidth, int clientHeight, int iconWidth,
                                    int iconHeight) {
    return IconPlace{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
