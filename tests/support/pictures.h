#pragma once
// Pictures made by the tests: JPEG through libjpeg's encoder, BMP written byte by byte.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/base/safe_file.h"
#include "playback/bitmap.h"

namespace tunecrest::test {

inline std::string EncodeJpeg(const Tbitmap& picture, int quality = 95) {
    jpeg_compress_struct info{};
    jpeg_error_mgr err{};
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(picture.Width());
    info.image_height = JDIMENSION(picture.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(picture.ScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string bytes(reinterpret_cast<char*>(out), size);
    std::free(out);
    return bytes;
}

// A 24-bit bottom-up BMP with a 40-byte information header.
inline std::string EncodeBmp24(const Tbitmap& picture) {
    const int stride = ((picture.Width() * 24 + 31) / 32) * 4;
    TbyteWriter w;
    w.WriteBytes("BM");
    w.WriteU32(uint32_t(54 + stride * picture.Height()));
    w.WriteU32(0);
    w.WriteU32(54);
    w.WriteU32(40);
    w.WriteI32(picture.Width());
    w.WriteI32(picture.Height());
    w.WriteI16(1);
    w.WriteI16(24);
    for (int i = 0; i < 6; ++i) w.WriteU32(0);
    for (int y = picture.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const Trgb c = picture.Pixel(x, y);
            w.WriteU8(c.B);
            w.WriteU8(c.G);
            w.WriteU8(c.R);
        }
        for (int pad = picture.Width() * 3; pad < stride; ++pad) w.WriteU8(0);
    }
    return w.Bytes();
}

inline Tbitmap SolidPicture(int width, int height, Trgb colour) {
    Tbitmap b(width, height);
    b.Fill(colour);
    return b;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    if (!SafeWriteFile(path, bytes)) throw std::runtime_error("cannot write " + path);
}

}  // namespace tunecrest::test
