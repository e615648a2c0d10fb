#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

// libjpeg is C: its error exit must not throw through its frames. The exit jumps back to the frame of
// CallJpeg, which returns the message code, and only then does C++ code raise the matching exception.
struct JpegErrorManager {
    jpeg_error_mgr pub;       // first, so that libjpeg's error pointer is also ours
    std::jmp_buf jump;
    // Set by our own data destination when its memory buffer cannot grow.
    bool memoryStreamFull;
};

// Fills the manager: error exit jumps back, warnings and trace messages are dropped. Returns the pointer to
// store in the libjpeg object's err before jpeg_create_*.
jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& manager);

// Runs step(context) with the manager's jump target set. Returns 0, or the message code of libjpeg's error.
// step must keep no object with a destructor alive: a jump skips it.
int CallJpeg(JpegErrorManager& manager, void (*step)(void* context), void* context);

// Raises the exception for a failed CallJpeg: "Out of memory while expanding memory stream" for a full memory
// destination, "Out of memory" for an allocation that failed inside libjpeg, else EJPEG with the classic number.
[[noreturn]] void ThrowJpegError(const JpegErrorManager& manager, int messageCode);
