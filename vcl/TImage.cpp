#include "vcl/TImage.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <exception>

#include "vcl/Exceptions.h"
#include "vcl/TApplication.h"
#include "vcl/TBitmap.h"
#include "vcl/TCanvas.h"

namespace {

int WidgetExtent(int size)
{
    return std::clamp(size, 0, QWIDGETSIZE_MAX);
}

}  // namespace

TImage::TImage(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    picture_.OnChange = [this] { PictureChanged(); };
    ApplySize();
}

TImage::~TImage()
{
    picture_.OnChange = nullptr;
}

TCanvas& TImage::Canvas()
{
    if (!picture_.Graphic()) {
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->SetSize(width_, height_);
        picture_.SetGraphic(std::move(bitmap));
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture_.Graphic());
    if (!bitmap)
        throw EInvalidGraphic("Can only modify an image if it contains a bitmap");
    // Whatever is drawn next shows at the next paint.
    update();
    return bitmap->Canvas();
}

void TImage::SetWidth(int width)
{
    width_ = width;
    ApplySize();
}

void TImage::SetHeight(int height)
{
    height_ = height;
    ApplySize();
}

void TImage::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    if (autoSize_ && picture_.Graphic())
        PictureChanged();
}

void TImage::ApplySize()
{
    resize(WidgetExtent(width_), WidgetExtent(height_));
}

void TImage::PictureChanged()
{
    rendered_.reset();
    renderFailed_ = false;
    if (autoSize_ && picture_.Graphic()) {
        width_ = picture_.Width();
        height_ = picture_.Height();
        ApplySize();
    }
    update();
}

const TBitmap* TImage::RenderedPicture()
{
    TGraphic* graphic = picture_.Graphic();
    if (auto* bitmap = dynamic_cast<const TBitmap*>(graphic))
        return bitmap;
    if (!rendered_ && !renderFailed_) {
        try {
            auto rendered = std::make_unique<TBitmap>();
            rendered->SetSize(graphic->Width(), graphic->Height());
            rendered->Canvas().Draw(0, 0, *graphic);
            rendered_ = std::move(rendered);
        } catch (...) {
            // A modal box cannot open inside a paint: the failure is shown once the paint is over, and the
            // picture draws nothing from then on instead of failing at every paint.
            renderFailed_ = true;
            QTimer::singleShot(0, [error = std::current_exception()] { Application->HandleException(error); });
        }
    }
    return rendered_.get();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.Empty())
        return;
    const TBitmap* bitmap = RenderedPicture();
    if (!bitmap || !bitmap->HasPixels())
        return;
    QPainter painter(this);
    // Painting a bitmap whose white is not made yet needs no pixels, and so cannot fail for want of memory.
    if (bitmap->WhitePending())
        painter.fillRect(0, 0, bitmap->Width(), bitmap->Height(), Qt::white);
    else
        painter.drawImage(0, 0, bitmap->Image());
}
