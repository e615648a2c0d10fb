#include <gtest/gtest.h>

#include <string>

#include <jerror.h>

#include "JpegFixtures.h"
#include "imaging/JpegDecompressor.h"
#include "vcl/Exceptions.h"

namespace {

struct Raise {
    j_decompress_ptr cinfo;
    int code;
};

void RaiseError(void* context)
{
    auto* raise = static_cast<Raise*>(context);
    ERREXIT(raise->cinfo, raise->code);
}

void RaiseWarning(void* context)
{
    auto* raise = static_cast<Raise*>(context);
    WARNMS(raise->cinfo, raise->code);
}

std::string Outcome(JpegDecompressor& decompressor, void (*step)(void*), int code)
{
    Raise raise{&decompressor.Info(), code};
    try {
        decompressor.Run(step, &raise);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no exception)";
}

TEST(JpegDecompressor, ReportsLibjpegsErrorsAsTheProgramsExceptions)
{
    struct Case {
        int code;
        const char* message;
    };
    const Case cases[] = {
        {JERR_ARITH_NOTIMPL, "JPEG error #1"},
        {JERR_BAD_HUFF_TABLE, "JPEG error #28"},
        {JERR_INPUT_EMPTY, "JPEG error #41"},
        {JERR_SOF_UNSUPPORTED, "JPEG error #59"},
        {JERR_OUT_OF_MEMORY, "Out of memory"},
        // Only a decoding's memory limit makes libjpeg ask for backing store.
        {JERR_NO_BACKING_STORE, "Out of system resources"},
    };
    const auto file = fixtures::MakeJpeg({});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        JpegDecompressor decompressor(file.data(), file.size());
        EXPECT_EQ(Outcome(decompressor, RaiseError, c.code), c.message);
    }
}

TEST(JpegDecompressor, WarningsPassSilently)
{
    const auto file = fixtures::MakeJpeg({});
    JpegDecompressor decompressor(file.data(), file.size());
    for (const int code : {int(JWRN_JPEG_EOF), int(JWRN_HIT_MARKER), int(JWRN_EXTRANEOUS_DATA)})
        EXPECT_EQ(Outcome(decompressor, RaiseWarning, code), "(no exception)");
    decompressor.StartDecompress();
    EXPECT_EQ(decompressor.Info().output_width, 64u);
}

}  // namespace
