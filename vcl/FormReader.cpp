#include "vcl/FormReader.h"

#include <QFont>
#include <map>
#include <vector>

#include "vcl/DensityScaling.h"
#include "vcl/Exceptions.h"
#include "vcl/FormDescription.h"
#include "vcl/PictureFormats.h"
#include "vcl/TButton.h"
#include "vcl/TEdit.h"
#include "vcl/TForm.h"
#include "vcl/TImage.h"
#include "vcl/TOpenDialog.h"

namespace {

[[noreturn]] void Fail(const FormProperty& property, const std::string& what)
{
    throw Exception("Error in window description, line " + std::to_string(property.line) + ": " + what);
}

int IntegerOf(const FormProperty& property)
{
    if (property.value.kind != FormValue::Kind::Integer)
        Fail(property, property.name + " needs a number");
    return static_cast<int>(property.value.integer);
}

const std::string& TextOf(const FormProperty& property)
{
    if (property.value.kind != FormValue::Kind::String)
        Fail(property, property.name + " needs a string");
    return property.value.text;
}

bool BooleanOf(const FormProperty& property)
{
    if (property.value.kind == FormValue::Kind::Identifier) {
        if (property.value.text == "True")
            return true;
        if (property.value.text == "False")
            return false;
    }
    Fail(property, property.name + " needs True or False");
}

QColor ColourOf(const FormProperty& property)
{
    static const std::map<std::string, QColor> named = {
        {"clBlack", QColor(0, 0, 0)},        {"clMaroon", QColor(128, 0, 0)},   {"clGreen", QColor(0, 128, 0)},
        {"clOlive", QColor(128, 128, 0)},    {"clNavy", QColor(0, 0, 128)},     {"clPurple", QColor(128, 0, 128)},
        {"clTeal", QColor(0, 128, 128)},     {"clGray", QColor(128, 128, 128)}, {"clSilver", QColor(192, 192, 192)},
        {"clRed", QColor(255, 0, 0)},        {"clLime", QColor(0, 255, 0)},     {"clYellow", QColor(255, 255, 0)},
        {"clBlue", QColor(0, 0, 255)},       {"clFuchsia", QColor(255, 0, 255)}, {"clAqua", QColor(0, 255, 255)},
        {"clWhite", QColor(255, 255, 255)},
    };
    if (property.value.kind == FormValue::Kind::Identifier) {
        const auto found = named.find(property.value.text);
        if (found != named.end())
            return found->second;
    } else if (property.value.kind == FormValue::Kind::Integer && property.value.integer >= 0 &&
               property.value.integer <= 0xffffff) {
        // Stored as 0x00BBGGRR.
        const auto v = static_cast<unsigned>(property.value.integer);
        return QColor(v & 0xff, v >> 8 & 0xff, v >> 16 & 0xff);
    }
    Fail(property, "unknown colour for " + property.name);
}

struct Bounds {
    QWidget* control;
    int left = 0, top = 0, width = 0, height = 0;
};

struct FormSettings {
    int pixelsPerInch = 96;
    int textHeight = 13;
    int charHeight = 11;
    std::string fontName = "MS Sans Serif";
    int clientWidth = 0, clientHeight = 0;
};

void ReadPicture(TImage& image, const FormProperty& property)
{
    const std::vector<std::uint8_t>& data = property.value.bytes;
    if (property.value.kind != FormValue::Kind::Binary || data.empty() || data.size() < 1u + data[0])
        Fail(property, "picture data is cut short");
    const std::string className(data.begin() + 1, data.begin() + 1 + data[0]);
    const TPictureFormat* format = FindGraphicClass(className);
    if (!format)
        return;
    std::unique_ptr<TGraphic> graphic = format->create();
    const std::size_t offset = 1u + data[0];
    graphic->ReadData(data.data() + offset, data.size() - offset);
    image.Picture().SetGraphic(std::move(graphic));
}

// Reads the geometry and the tab order that every control has; false for a property it does not know.
bool ReadCommon(TForm& form, QWidget* control, Bounds& bounds, const FormProperty& p)
{
    if (p.name == "Left")
        bounds.left = IntegerOf(p);
    else if (p.name == "Top")
        bounds.top = IntegerOf(p);
    else if (p.name == "Width")
        bounds.width = IntegerOf(p);
    else if (p.name == "Height")
        bounds.height = IntegerOf(p);
    else if (p.name == "TabOrder" && control->focusPolicy() != Qt::NoFocus)
        form.SetTabOrder(control, IntegerOf(p));
    else if (p.name == "Visible")
        control->setVisible(BooleanOf(p));
    else
        return false;
    return true;
}

void ReadComponent(TForm& form, const FormObject& object, std::vector<Bounds>& layout, std::vector<TImage*>& images)
{
    QObject* component = nullptr;
    QWidget* control = nullptr;
    if (object.className == "TButton" || object.className == "TEdit" || object.className == "TImage") {
        if (object.className == "TButton")
            control = new TButton(&form);
        else if (object.className == "TEdit")
            control = new TEdit(&form);
        else
            control = new TImage(&form);
        form.AdoptControl(control);
        component = control;
    } else if (object.className == "TOpenDialog") {
        component = new TOpenDialog(&form);
    } else {
        throw Exception("Error in window description, line " + std::to_string(object.line) + ": class " +
                        object.className + " not found");
    }
    component->setObjectName(QString::fromStdString(object.name));

    Bounds bounds{control};
    if (control)
        bounds.width = control->width(), bounds.height = control->height();
    auto* button = dynamic_cast<TButton*>(component);
    auto* edit = dynamic_cast<TEdit*>(component);
    auto* image = dynamic_cast<TImage*>(component);
    for (const FormProperty& p : object.properties) {
        if (control && ReadCommon(form, control, bounds, p))
            continue;
        if (!control && (p.name == "Left" || p.name == "Top"))
            continue;  // a dialog's place on the design surface means nothing at run time
        if (button && p.name == "Caption")
            button->SetCaption(TextOf(p));
        else if (button && p.name == "OnClick") {
            if (p.value.kind != FormValue::Kind::Identifier)
                Fail(p, "OnClick needs a handler name");
            button->OnClick = form.FindMethod(p.value.text);
            if (!button->OnClick)
                Fail(p, "handler " + p.value.text + " not found");
        } else if (edit && p.name == "Text")
            edit->SetText(TextOf(p));
        else if (image && p.name == "AutoSize")
            image->SetAutoSize(BooleanOf(p));
        else if (image && p.name == "Picture.Data")
            ReadPicture(*image, p);
        else
            Fail(p, "property " + p.name + " of " + object.className + " not known");
    }
    if (control)
        layout.push_back(bounds);
    if (image && image->AutoSize())
        images.push_back(image);
    form.BindComponent(object.name, component);
}

FormSettings ReadFormProperties(TForm& form, const FormObject& root)
{
    FormSettings settings;
    for (const FormProperty& p : root.properties) {
        if (p.name == "Left")
            form.SetLeft(IntegerOf(p));
        else if (p.name == "Top")
            form.SetTop(IntegerOf(p));
        else if (p.name == "ClientWidth")
            settings.clientWidth = IntegerOf(p);
        else if (p.name == "ClientHeight")
            settings.clientHeight = IntegerOf(p);
        else if (p.name == "Caption")
            form.SetCaption(TextOf(p));
        else if (p.name == "Color")
            form.SetColor(ColourOf(p));
        else if (p.name == "Font.Name")
            settings.fontName = TextOf(p);
        else if (p.name == "Font.Height")
            settings.charHeight = IntegerOf(p) < 0 ? -IntegerOf(p) : IntegerOf(p);
        else if (p.name == "PixelsPerInch")
            settings.pixelsPerInch = IntegerOf(p);
        else if (p.name == "TextHeight")
            settings.textHeight = IntegerOf(p);
        else if (p.name == "BorderStyle") {
            // The form has a fixed dialog frame and nothing else.
            if (p.value.kind != FormValue::Kind::Identifier || p.value.text != "bsDialog")
                Fail(p, "only a dialog frame (bsDialog) is supported");
        } else if (p.name == "BorderIcons") {
            if (p.value.kind != FormValue::Kind::Set || p.value.set != std::vector<std::string>{"biSystemMenu"})
                Fail(p, "only the close box ([biSystemMenu]) is supported");
        } else if (p.name == "Font.Charset" || p.name == "Font.Color" || p.name == "Font.Style") {
            // The default character set, the window-text colour and the regular style are Qt's defaults too.
        } else {
            Fail(p, "property " + p.name + " of the form not known");
        }
    }
    return settings;
}

}  // namespace

void ReadForm(TForm& form, const std::string& description, int screenPixelsPerInch)
{
    const FormObject root = ParseFormDescription(description);
    form.setObjectName(QString::fromStdString(root.name));
    const FormSettings settings = ReadFormProperties(form, root);
    const DensityScaling scaling(settings.pixelsPerInch, settings.charHeight, settings.textHeight,
                                 screenPixelsPerInch);

    QFont font(QString::fromStdString(settings.fontName));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, scaling.CharHeight()));
    form.setFont(font);

    std::vector<Bounds> layout;
    std::vector<TImage*> autoSized;
    for (const FormObject& child : root.children)
        ReadComponent(form, child, layout, autoSized);

    form.SetClientWidth(scaling.Scale(settings.clientWidth));
    form.SetClientHeight(scaling.Scale(settings.clientHeight));
    for (const Bounds& b : layout) {
        if (auto* image = dynamic_cast<TImage*>(b.control)) {
            image->SetLeft(scaling.Scale(b.left));
            image->SetTop(scaling.Scale(b.top));
            image->SetWidth(scaling.Scale(b.width));
            image->SetHeight(scaling.Scale(b.height));
        } else {
            b.control->setGeometry(scaling.Scale(b.left), scaling.Scale(b.top), scaling.Scale(b.width),
                                   scaling.Scale(b.height));
            // Buttons and edit boxes are windows of their own and so always lie above the images.
            b.control->raise();
        }
    }
    // A picture keeps its own size on any screen.
    for (TImage* image : autoSized)
        image->SetAutoSize(true);
}
