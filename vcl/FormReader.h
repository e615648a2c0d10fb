#pragma once

#include <string>

class TForm;

// Builds a form from its window description (the text form of FormDescription.h): sets the form's own
// properties, creates each component by its class name (TButton, TEdit, TImage, TOpenDialog), binds it to the
// form's field of the same name and its events to the form's handlers by name, types stored pictures through
// the picture-format registry, and scales the layout to the screen's density. The form stays hidden.
// A description that names an unknown class, property or handler raises Exception; a stored picture of a kind
// nobody has registered leaves its image empty without an error.
void ReadForm(TForm& form, const std::string& description, int screenPixelsPerInch);
