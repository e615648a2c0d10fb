#pragma once

#include <string>

// The modal error box of the exception display: the application title as caption, the error icon, the text
// and one OK button. The program's windows are blocked while it is up; the active window and its focus come
// back afterwards.
void ShowErrorBox(const std::string& text);
