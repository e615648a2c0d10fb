#include "imaging/JpegErrorManager.h"

#include <jerror.h>

#include "imaging/JpegErrorNumbers.h"
#include "vcl/Exceptions.h"

namespace {

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}
void IgnoreOutput(j_common_ptr) {}
void IgnoreFormat(j_common_ptr, char* buffer)
{
    buffer[0] = '\0';
}

}  // namespace

jpeg_error_mgr* InitJpegErrorManager(JpegErrorManager& manager)
{
    jpeg_error_mgr* pub = jpeg_std_error(&manager.pub);
    pub->error_exit = ErrorExit;
    pub->emit_message = IgnoreMessage;
    pub->output_message = IgnoreOutput;
    pub->format_message = IgnoreFormat;
    manager.memoryStreamFull = false;
    return pub;
}

int CallJpeg(JpegErrorManager& manager, void (*step)(void* context), void* context)
{
    if (setjmp(manager.jump) != 0)
        return manager.pub.msg_code != 0 ? manager.pub.msg_code : -1;
    step(context);
    return 0;
}

void ThrowJpegError(const JpegErrorManager& manager, int messageCode)
{
    if (manager.memoryStreamFull)
        throw EMemoryStreamError();
    if (messageCode == JERR_OUT_OF_MEMORY)
        throw EOutOfMemory();
    throw EJPEG(ClassicJpegErrorNumber(messageCode));
}
