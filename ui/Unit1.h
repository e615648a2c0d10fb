#pragma once

#include <string>

#include "vcl/TForm.h"

class TButton;
class TEdit;
class TImage;
class TOpenDialog;

// The main window. Its components are created and bound by name from its description TFORM1.
class TForm1 : public TForm {
public:
    TButton* Button1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TEdit* Edit1 = nullptr;
    TImage* Image1 = nullptr;
    TImage* Image2 = nullptr;
    TImage* Image3 = nullptr;

    void Button1Click(TObject* Sender);

    void BindComponent(const std::string& name, TObject* component) override;
    TNotifyEvent FindMethod(const std::string& name) override;
};

extern TForm1* Form1;
