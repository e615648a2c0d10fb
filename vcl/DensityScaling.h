#pragma once

// A window description is laid out at 96 pixels per inch, where its font of 11-pixel characters has a text
// height of 13 pixels. On a screen of another density the font grows with the density and, when the font's
// text height no longer matches, every position and size grows with the text height.
class DensityScaling {
public:
    // designCharHeight and designTextHeight as the description states them (11 and 13 for ours).
    DensityScaling(int designPixelsPerInch, int designCharHeight, int designTextHeight, int screenPixelsPerInch);

    int CharHeight() const { return charHeight_; }
    int TextHeight() const { return textHeight_; }
    bool Scales() const { return textHeight_ != designTextHeight_; }

    // A position or size of the description on this screen.
    int Scale(int value) const;

    // a * b / c rounded to the nearest integer, halves away from zero, without intermediate overflow.
    static int MulDiv(int a, int b, int c);

private:
    int designTextHeight_;
    int charHeight_;
    int textHeight_;
};

// The screen's logical density, rounded to whole pixels per inch (96 without a screen).
int ScreenPixelsPerInch();
