#include "ui/Unit1.h"

#include "vcl/TButton.h"
#include "vcl/TEdit.h"
#include "vcl/TImage.h"
#include "vcl/TOpenDialog.h"

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

void TForm1::Button1Click([[maybe_unused]] TObject* Sender) {}
