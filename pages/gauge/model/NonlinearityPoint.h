#pragma once
// One point of an element's nonlinearity table: a value of the element's expression and where
// the element points for it, as a position in gauge pixels (or 0, 0) and a bearing.

struct NonlinearityPoint {
    float value;
    float x;
    float y;
    float degrees; // clockwise from straight up
};

// The bearing of the point (px, py) seen from the element's position (x, y): degrees clockwise
// from straight up, 0 to 360; NaN for the position itself.
float BearingFrom(int x, int y, float px, float py);
