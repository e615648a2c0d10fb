#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <functional>
#include <string>
#include <vector>

#include "JpegFixtures.h"
#include "ModalAnswerer.h"

class TBitmap;

// The real main window, built from its description and shown headless, with the modal windows of a run
// answered from a timer. Each test queues the answers a run needs, then clicks the button.
class CommandFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a generated JPEG (or any bytes) into the test's directory and returns its full path.
    std::string Source(const std::string& name, const fixtures::JpegRecipe& recipe);
    std::string SourceBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);
    std::string PathInDir(const std::string& name) const;

    // Replaces the size box's text by typing, as a user would.
    void TypeSize(const std::string& text);
    void ClickButton();

    // Queued answers, in the order the run meets them.
    void ChooseFile(const std::string& path);  // types the path into the dialog's name box and presses Enter
    void CancelDialog();
    void ExpectError();        // the error box: its text lands in errors
    // The confirmation dialog: its text lands in confirmations; whileShown runs before it is answered.
    void ExpectConfirmation(std::function<void()> whileShown = {});

    // What the dialogs showed.
    std::vector<std::string> errors;
    std::vector<std::string> confirmations;
    std::vector<std::string> nameBoxAtOpen;  // the open dialog's name box as it opened, one per run
    std::vector<std::string> captions;       // of the error boxes and confirmations
    int dialogsOpened = 0;

    // The preview's bitmap, or null when the preview holds no picture.
    const TBitmap* Preview() const;

    QTemporaryDir dir;
    ModalAnswerer answers;
};

// The thumbnail the program's own picture path makes of a file at the given size, for comparing pixels.
void ReferenceThumbnail(const std::string& path, int width, int height, TBitmap& out);
