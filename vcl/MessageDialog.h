#pragma once

#include <string>

// The modal message dialog: the application title as caption, no icon, the text word-wrapped in the system's
// message font, one "OK" button that Enter, Esc and the close box all answer. It is centred on the monitor of
// the active window and makes no sound.
void ShowMessage(const std::string& text);
