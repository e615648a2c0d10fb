#include "imaging/JpegErrorNumbers.h"

#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

// libjpeg-turbo numbers its messages in another order, and has a few messages more. Users and their bug reports
// know the numbers of the classic library, so a message is shown by the classic number of the same name.
int ClassicJpegErrorNumber(int messageCode)
{
    switch (messageCode) {
    case JMSG_NOMESSAGE: return 0;
    case JERR_ARITH_NOTIMPL: return 1;
    case JERR_BAD_ALIGN_TYPE: return 2;
    case JERR_BAD_ALLOC_CHUNK: return 3;
    case JERR_BAD_BUFFER_MODE: return 4;
    case JERR_BAD_COMPONENT_ID: return 5;
    case JERR_BAD_DCTSIZE: return 6;
    case JERR_BAD_IN_COLORSPACE: return 7;
    case JERR_BAD_J_COLORSPACE: return 8;
    case JERR_BAD_LENGTH: return 9;
    case JERR_BAD_LIB_VERSION: return 10;
    case JERR_BAD_MCU_SIZE: return 11;
    case JERR_BAD_POOL_ID: return 12;
    case JERR_BAD_PRECISION: return 13;
    case JERR_BAD_PROGRESSION: return 14;
    case JERR_BAD_PROG_SCRIPT: return 15;
    case JERR_BAD_SAMPLING: return 16;
    case JERR_BAD_SCAN_SCRIPT: return 17;
    case JERR_BAD_STATE: return 18;
    case JERR_BAD_STRUCT_SIZE: return 19;
    case JERR_BAD_VIRTUAL_ACCESS: return 20;
    case JERR_BUFFER_SIZE: return 21;
    case JERR_CANT_SUSPEND: return 22;
    case JERR_CCIR601_NOTIMPL: return 23;
    case JERR_COMPONENT_COUNT: return 24;
    case JERR_CONVERSION_NOTIMPL: return 25;
    case JERR_DAC_INDEX: return 26;
    case JERR_DAC_VALUE: return 27;
    case JERR_DHT_INDEX: return 29;
    case JERR_DQT_INDEX: return 30;
    case JERR_EMPTY_IMAGE: return 31;
    case JERR_EMS_READ: return 32;
    case JERR_EMS_WRITE: return 33;
    case JERR_EOI_EXPECTED: return 34;
    case JERR_FILE_READ: return 35;
    case JERR_FILE_WRITE: return 36;
    case JERR_FRACT_SAMPLE_NOTIMPL: return 37;
    case JERR_HUFF_CLEN_OVERFLOW: return 38;
    case JERR_HUFF_MISSING_CODE: return 39;
    case JERR_IMAGE_TOO_BIG: return 40;
    case JERR_INPUT_EMPTY: return 41;
    case JERR_INPUT_EOF: return 42;
    case JERR_MISMATCHED_QUANT_TABLE: return 43;
    case JERR_MISSING_DATA: return 44;
    case JERR_MODE_CHANGE: return 45;
    case JERR_NOTIMPL: return 46;
    case JERR_NOT_COMPILED: return 47;
    case JERR_NO_BACKING_STORE: return 48;
    case JERR_NO_HUFF_TABLE: return 49;
    case JERR_NO_IMAGE: return 50;
    case JERR_NO_QUANT_TABLE: return 51;
    case JERR_NO_SOI: return 52;
    case JERR_OUT_OF_MEMORY: return 53;
    case JERR_QUANT_COMPONENTS: return 54;
    case JERR_QUANT_FEW_COLORS: return 55;
    case JERR_QUANT_MANY_COLORS: return 56;
    case JERR_SOF_DUPLICATE: return 57;
    case JERR_SOF_NO_SOS: return 58;
    case JERR_SOF_UNSUPPORTED: return 59;
    case JERR_SOI_DUPLICATE: return 60;
    case JERR_SOS_NO_SOF: return 61;
    case JERR_TFILE_CREATE: return 62;
    case JERR_TFILE_READ: return 63;
    case JERR_TFILE_SEEK: return 64;
    case JERR_TFILE_WRITE: return 65;
    case JERR_TOO_LITTLE_DATA: return 66;
    case JERR_UNKNOWN_MARKER: return 67;
    case JERR_VIRTUAL_BUG: return 68;
    case JERR_WIDTH_OVERFLOW: return 69;
    case JERR_XMS_READ: return 70;
    case JERR_XMS_WRITE: return 71;
    // libjpeg-turbo reports bad Huffman code counts under this name; the classic library called it DHT_COUNTS.
    case JERR_BAD_HUFF_TABLE: return 28;
    // No classic counterparts; each shows the nearest classic message.
    case JERR_BAD_DCT_COEF: return 6;        // a DCT coefficient out of range: JERR_BAD_DCTSIZE, the other DCT fault
    case JERR_NO_ARITH_TABLE: return 49;     // a scan using an undefined table: JERR_NO_HUFF_TABLE
    case JERR_BAD_DROP_SAMPLING: return 16;  // a sampling factor that does not fit: JERR_BAD_SAMPLING
    case JERR_BAD_CROP_SPEC: return 46;      // cropping, never asked for here: JERR_NOTIMPL
    default:
        // A code added by a later libjpeg: say so instead of showing a number that means something else.
        return 0;
    }
}
