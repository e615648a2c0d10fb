#include "vcl/TPicture.h"

#include "vcl/Exceptions.h"
#include "vcl/TBitmap.h"
#include "vcl/TGraphic.h"

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    graphic_ = std::move(graphic);
    Changed();
}

bool TPicture::Empty() const
{
    return !graphic_ || graphic_->Empty();
}

int TPicture::Width() const
{
    return graphic_ ? graphic_->Width() : 0;
}

int TPicture::Height() const
{
    return graphic_ ? graphic_->Height() : 0;
}

void TPicture::Assign(const TPicture& source)
{
    if (&source == this)
        return;
    if (!source.graphic_) {
        SetGraphic(nullptr);
        return;
    }
    const auto* bitmap = dynamic_cast<const TBitmap*>(source.graphic_.get());
    if (!bitmap)
        throw EConvertError("Cannot assign this kind of picture");
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*bitmap);
    SetGraphic(std::move(copy));
}

void TPicture::Changed()
{
    if (OnChange)
        OnChange();
}
