#pragma once

#include <functional>
#include <memory>

class TBitmap;
class TGraphic;

// Holds one picture of any kind, or nothing. The image that owns it is told of every change.
class TPicture {
public:
    TPicture();
    ~TPicture();
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    bool Empty() const;

    int Width() const;
    int Height() const;

    // Copies the source's picture (a bitmap shares its pixels until either side writes) or, when the source
    // holds none, empties this one. Pictures of kinds that cannot be copied raise EConvertError.
    void Assign(const TPicture& source);

    std::function<void()> OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> graphic_;
};
