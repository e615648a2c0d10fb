#pragma once

class QMessageBox;

// Runs a message box of the program: application-modal, its text shown as written (never as markup), and one
// "OK" button that Enter, Esc and the close box all answer.
void ExecOkBox(QMessageBox& box, const char* objectName);
