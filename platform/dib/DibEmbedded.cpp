#include "platform/dib/DibEmbedded.h"

#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace slidemill {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back
// to the decoding function. Warnings (corrupt but recoverable data) are ignored.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    std::longjmp(manager->jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr) {}

// Everything the decoding touches after setjmp lives here, outside the jumped-over
// frames, so that a longjmp leaves no object half-built.
struct JpegJob {
    jpeg_decompress_struct cinfo;
    JpegErrorManager error;
    std::vector<uint8_t> line;
    bool created = false;
};

bool RunJpeg(JpegJob& job, std::span<const uint8_t> data, uint64_t maxPixels, DecodedImage& out, DibResult& result) {
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.error.jump)) {
        result = DibResult::BadEmbeddedImage;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    job.created = true;
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        result = DibResult::BadEmbeddedImage;
        return false;
    }
    if (cinfo.image_width == 0 || cinfo.image_height == 0) {
        result = DibResult::BadEmbeddedImage;
        return false;
    }
    if (uint64_t(cinfo.image_width) * cinfo.image_height > maxPixels) {
        result = DibResult::TooLarge;
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&cinfo);
    const uint32_t w = cinfo.output_width;
    const uint32_t h = cinfo.output_height;
    const int components = cinfo.output_components;
    if ((cmyk && components != 4) || (!cmyk && components != 3)) {
        result = DibResult::BadEmbeddedImage;
        return false;
    }
    out.width = w;
    out.height = h;
    out.rgb.assign(size_t(w) * h * 3, 0);
    std::vector<uint8_t>& line = job.line;
    line.assign(size_t(w) * components, 0);
    while (cinfo.output_scanline < h) {
        const uint32_t y = cinfo.output_scanline;
        JSAMPROW row = line.data();
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) break;
        uint8_t* dst = out.rgb.data() + size_t(y) * w * 3;
        if (!cmyk) {
            std::memcpy(dst, line.data(), size_t(w) * 3);
            continue;
        }
        // Adobe CMYK JPEGs store inverted values: each component already is 255 - ink.
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t* p = &line[size_t(x) * 4];
            const unsigned k = p[3];
            dst[x * 3 + 0] = static_cast<uint8_t>(p[0] * k / 255);
            dst[x * 3 + 1] = static_cast<uint8_t>(p[1] * k / 255);
            dst[x * 3 + 2] = static_cast<uint8_t>(p[2] * k / 255);
        }
    }
    jpeg_finish_decompress(&cinfo);
    result = DibResult::Ok;
    return true;
}

}  // namespace

DibResult DecodeEmbeddedJpeg(std::span<const uint8_t> data, uint64_t maxPixels, DecodedImage& out) {
    out = DecodedImage{};
    if (data.empty()) return DibResult::TruncatedBits;
    auto job = std::make_unique<JpegJob>();
    std::memset(&job->cinfo, 0, sizeof job->cinfo);
    job->cinfo.err = jpeg_std_error(&job->error.base);
    job->error.base.error_exit = JpegErrorExit;
    job->error.base.output_message = JpegOutputMessage;
    DibResult result = DibResult::BadEmbeddedImage;
    const bool ok = RunJpeg(*job, data, maxPixels, out, result);
    if (job->created) jpeg_destroy_decompress(&job->cinfo);
    if (!ok) out = DecodedImage{};
    return ok ? DibResult::Ok : result;
}

DibResult DecodeEmbeddedPng(std::span<const uint8_t> data, uint64_t maxPixels, DecodedImage& out) {
    out = DecodedImage{};
    if (data.empty()) return DibResult::TruncatedBits;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
        png_image_free(&image);
        return DibResult::BadEmbeddedImage;
    }
    if (image.width == 0 || image.height == 0 || uint64_t(image.width) * image.height > maxPixels ||
        uint64_t(image.width) * 4 > uint64_t(INT32_MAX)) {
        const bool empty = image.width == 0 || image.height == 0;
        png_image_free(&image);
        return empty ? DibResult::BadEmbeddedImage : DibResult::TooLarge;
    }
    const bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    const size_t w = image.width;
    const size_t h = image.height;
    std::vector<uint8_t> rgba(w * h * 4);
    if (!png_image_finish_read(&image, nullptr, rgba.data(), static_cast<png_int_32>(w * 4), nullptr)) {
        png_image_free(&image);
        return DibResult::BadEmbeddedImage;
    }
    out.width = static_cast<uint32_t>(w);
    out.height = static_cast<uint32_t>(h);
    out.rgb.resize(w * h * 3);
    if (alpha) out.alpha.resize(w * h);
    for (size_t i = 0; i < w * h; ++i) {
        out.rgb[i * 3 + 0] = rgba[i * 4 + 0];
        out.rgb[i * 3 + 1] = rgba[i * 4 + 1];
        out.rgb[i * 3 + 2] = rgba[i * 4 + 2];
        if (alpha) out.alpha[i] = rgba[i * 4 + 3];
    }
    out.hasAlpha = alpha;
    return DibResult::Ok;
}

}  // namespace slidemill
