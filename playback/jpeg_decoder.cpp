// JPEG through libjpeg. Errors of the library leave through longjmp to the one frame
// that set it up; nothing with a destructor lives between the two.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "playback/picture_decoders.h"

namespace tunecrest {

namespace {

struct TjpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void ExitOnError(j_common_ptr info) {
    auto* err = reinterpret_cast<TjpegError*>(info->err);
    (*info->err->format_message)(info, err->Message);
    std::longjmp(err->Jump, 1);
}

// Warnings (such as a picture that ends early, whose rest is filled grey) are not printed.
void IgnoreMessage(j_common_ptr) {}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

}  // namespace

bool DecodeJpeg(std::string_view data, Tbitmap& picture, std::string* error) {
    picture.Clear();
    if (data.empty()) {
        SetError(error, "empty JPEG data");
        return false;
    }
    jpeg_decompress_struct info{};
    TjpegError err{};
    info.err = jpeg_std_error(&err.Manager);
    err.Manager.error_exit = ExitOnError;
    err.Manager.output_message = IgnoreMessage;
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&info);
        picture.Clear();
        SetError(error, std::string("JPEG: ") + err.Message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<unsigned char*>(const_cast<char*>(data.data())), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    if (!PictureSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        SetError(error, "JPEG picture too large");
        return false;
    }
    // Four-channel pictures cannot be turned into RGB by the library: take CMYK and convert here.
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    const int width = int(info.output_width), height = int(info.output_height);
    const int channels = info.output_components;
    if (!PictureSizeAllowed(width, height) || channels != (cmyk ? 4 : 3)) {
        jpeg_destroy_decompress(&info);
        SetError(error, "JPEG output not supported");
        return false;
    }
    picture.SetSize(width, height);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               JDIMENSION(width * channels), 1);
    // Adobe writes CMYK inverted; its marker tells.
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        jpeg_read_scanlines(&info, row, 1);
        uint8_t* out = picture.ScanLine(y);
        const unsigned char* in = row[0];
        if (!cmyk) {
            for (int i = 0; i < width * 3; ++i) out[i] = in[i];
            continue;
        }
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            int c = in[0], m = in[1], yl = in[2], k = in[3];
            if (!inverted) c = 255 - c, m = 255 - m, yl = 255 - yl, k = 255 - k;
            // Here each value is the amount of light left: 255 = none of that ink.
            out[0] = uint8_t(c * k / 255);
            out[1] = uint8_t(m * k / 255);
            out[2] = uint8_t(yl * k / 255);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace tunecrest
