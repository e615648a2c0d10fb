#pragma once

#include <QWidget>
#include <memory>

#include "vcl/TPicture.h"

class TBitmap;
class TCanvas;

// An image control. It draws its picture at the picture's own size at its top-left corner and nothing else:
// with an empty picture whatever lies beneath shows through.
class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

    // The canvas of the image's bitmap. An image without a picture first gets a new white bitmap of its
    // present size. An image holding a picture of another kind cannot be drawn on (EInvalidGraphic).
    TCanvas& Canvas();

    bool Visible() const { return !isHidden(); }
    void SetVisible(bool visible) { setVisible(visible); }

    // Position and size in the parent's client area. The sizes are kept exactly as set; the widget itself
    // cannot be smaller than 0.
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { move(left, y()); }
    void SetTop(int top) { move(x(), top); }
    void SetWidth(int width);
    void SetHeight(int height);

    // Takes the picture's size whenever the picture changes.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();
    void ApplySize();
    const TBitmap* RenderedPicture();

    TPicture picture_;
    int width_ = 105;
    int height_ = 105;
    bool autoSize_ = false;
    // Pictures of other kinds than bitmaps are drawn into this once and painted from it.
    std::unique_ptr<TBitmap> rendered_;
    bool renderFailed_ = false;
};
