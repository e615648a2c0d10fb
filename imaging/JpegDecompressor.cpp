#include "imaging/JpegDecompressor.h"

#include <jerror.h>

#include "imaging/JpegMemorySource.h"
#include "vcl/Exceptions.h"

// Plain data only: libjpeg's error exit may leave any step, and a zeroed struct is safe to destroy at any point.
struct JpegDecompressorState {
    jpeg_decompress_struct cinfo;
    JpegErrorManager errors;
    JpegMemorySource source;
    jpeg_progress_mgr progress;
    const std::uint8_t* data;
    std::size_t size;
};

namespace {

using State = JpegDecompressorState;

// libjpeg reads every scan of a file of several scans before the first row comes out, each over the whole
// picture, and sets no limit on their number: a small file that repeats a scan by the thousand would keep it
// busy for hours. Real files have about ten.
constexpr int kMaxScans = 1000;

void CheckScanCount(j_common_ptr common)
{
    const auto cinfo = reinterpret_cast<j_decompress_ptr>(common);
    if (cinfo->input_scan_number > kMaxScans)
        ERREXIT(cinfo, JERR_BAD_PROGRESSION);
}

void CreateAndReadHeader(void* context)
{
    auto* state = static_cast<State*>(context);
    jpeg_create_decompress(&state->cinfo);
    state->progress.progress_monitor = CheckScanCount;
    state->cinfo.progress = &state->progress;
    AttachJpegMemorySource(&state->cinfo, state->source, state->data, state->size);
    jpeg_read_header(&state->cinfo, TRUE);
}

void Destroy(void* context)
{
    jpeg_destroy_decompress(static_cast<j_decompress_ptr>(context));
}

struct MultipleScansQuery {
    j_decompress_ptr cinfo;
    boolean result;
};

void QueryMultipleScans(void* context)
{
    auto* query = static_cast<MultipleScansQuery*>(context);
    query->result = jpeg_has_multiple_scans(query->cinfo);
}

void CalcDimensions(void* context)
{
    jpeg_calc_output_dimensions(static_cast<j_decompress_ptr>(context));
}

void Start(void* context)
{
    jpeg_start_decompress(static_cast<j_decompress_ptr>(context));
}

void Finish(void* context)
{
    jpeg_finish_decompress(static_cast<j_decompress_ptr>(context));
}

}  // namespace

JpegDecompressor::JpegDecompressor(const std::uint8_t* data, std::size_t size)
    : state_(std::make_unique<JpegDecompressorState>())
{
    state_->cinfo.err = InitJpegErrorManager(state_->errors);
    state_->data = data;
    state_->size = size;
    try {
        Run(CreateAndReadHeader, state_.get());
    } catch (...) {
        CallJpeg(state_->errors, Destroy, &state_->cinfo);
        throw;
    }
}

JpegDecompressor::~JpegDecompressor()
{
    CallJpeg(state_->errors, Destroy, &state_->cinfo);
}

jpeg_decompress_struct& JpegDecompressor::Info()
{
    return state_->cinfo;
}

void JpegDecompressor::Run(void (*step)(void* context), void* context)
{
    const int code = CallJpeg(state_->errors, step, context);
    if (code == 0)
        return;
    // No backing store is ever set up: libjpeg asks for one only when a decoding's memory limit is reached.
    if (code == JERR_NO_BACKING_STORE)
        throw EOutOfResources();
    ThrowJpegError(state_->errors, code);
}

bool JpegDecompressor::HasMultipleScans()
{
    MultipleScansQuery query{&state_->cinfo, FALSE};
    Run(QueryMultipleScans, &query);
    return query.result != FALSE;
}

void JpegDecompressor::CalcOutputDimensions()
{
    Run(CalcDimensions, &state_->cinfo);
}

void JpegDecompressor::StartDecompress()
{
    Run(Start, &state_->cinfo);
}

void JpegDecompressor::FinishDecompress()
{
    Run(Finish, &state_->cinfo);
}
