#pragma once

// One hit rectangle of a prop, in the picture's own measure: x and y are offsets from the
// picture's lower-left corner that do not scale with the item; width and height do.
struct BRect {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
    friend constexpr bool operator==(const BRect& a, const BRect& b) {
        return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
    }
};
