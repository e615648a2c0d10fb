#include "ui/Unit1.h"

#include <cstdint>

#include "imaging/TJPEGImage.h"
#include "imaging/ThumbnailName.h"
#include "ui/ThumbnailSize.h"
#include "vcl/Beep.h"
#include "vcl/MessageDialog.h"
#include "vcl/StrToInt.h"
#include "vcl/TBitmap.h"
#include "vcl/TButton.h"
#include "vcl/TCanvas.h"
#include "vcl/TEdit.h"
#include "vcl/TImage.h"
#include "vcl/TOpenDialog.h"

namespace {

// The window's outer side for target size n: n + 30 as a 32-bit sum that wraps instead of overflowing.
int WindowSide(int n)
{
    return static_cast<int>(static_cast<std::uint32_t>(n) + 30u);
}

}  // namespace

TForm1* Form1 = nullptr;

void TForm1::BindComponent(const std::string& name, TObject* component)
{
    if (name == "Button1")
        BindField(Button1, component);
    else if (name == "OpenDialog1")
        BindField(OpenDialog1, component);
    else if (name == "Edit1")
        BindField(Edit1, component);
    else if (name == "Image1")
        BindField(Image1, component);
    else if (name == "Image2")
        BindField(Image2, component);
    else if (name == "Image3")
        BindField(Image3, component);
}

TNotifyEvent TForm1::FindMethod(const std::string& name)
{
    if (name == "Button1Click")
        return [this](TObject* Sender) { Button1Click(Sender); };
    return {};
}

// The thumbnail command. Failures are exceptions that end the run where they arise; the application shows them.
// Each object of the run lives in its own scope, so whatever ends the run releases the thumbnail bitmap first
// and the picture after it.
void TForm1::Button1Click([[maybe_unused]] TObject* Sender)
{
    Image1->Picture().Assign(Image2->Picture());
    Image3->SetVisible(false);
    const int n = StrToInt(Edit1->Text());
    Form1->SetWidth(WindowSide(n));
    Form1->SetHeight(WindowSide(n));
    Form1->Repaint();
    if (!OpenDialog1->Execute())
        return;

    TJPEGImage jpeg;
    jpeg.LoadFromFile(OpenDialog1->FileName());
    const double ratio = ScaleRatio(n, jpeg.Height() > jpeg.Width() ? jpeg.Height() : jpeg.Width());
    {
        TBitmap thumbnail;
        thumbnail.SetWidth(ScaleSide(jpeg.Width(), ratio));
        thumbnail.SetHeight(ScaleSide(jpeg.Height(), ratio));
        thumbnail.Canvas().StretchDraw(thumbnail.Canvas().ClipRect(), jpeg);
        Image1->SetWidth(thumbnail.Width());
        Image1->SetHeight(thumbnail.Height());
        Image1->Canvas().Draw(0, 0, thumbnail);

        jpeg.Assign(thumbnail);
        jpeg.SaveToFile(ThumbnailPath(OpenDialog1->FileName()));
        MessageBeep(0);
        ShowMessage("The image has been resized and saved in the same directory as the original. "
                    "The filename will have _thumb appended to the original filename.");
    }
}
