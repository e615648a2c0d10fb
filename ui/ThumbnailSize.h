#pragma once

// The thumbnail's size for target size N. The ratio and the products are rounded exactly as an x87 unit in
// extended precision with round-to-nearest-even would round them, but worked out with integers, so the result
// is the same on every processor and with any long double.

struct TThumbnailSize {
    int Width = 0;
    int Height = 0;
};

// n / d: the exact quotient rounded to a 64-bit significand, then to a double (both to nearest, ties to even).
// d = 0 raises EZeroDivide, or EInvalidOp when n is 0 too.
double ScaleRatio(int n, int d);

// side x ratio: the exact product rounded to a 64-bit significand, then to the nearest integer, ties to even.
// A ratio that is not finite, or a result outside the 32-bit range, raises EInvalidOp as the conversion of such
// a value to an integer would.
int ScaleSide(int side, double ratio);

// D is the height when it is strictly greater than the width, else the width; R = ScaleRatio(n, D); the sides
// are ScaleSide(width, R) and ScaleSide(height, R).
TThumbnailSize ThumbnailSize(int n, int width, int height);
