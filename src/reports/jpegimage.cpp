#include "jpegimage.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace jpeg {

namespace {

// libjpeg reports errors by calling error_exit, which must not return: jump
// back to the caller with the message.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr info)
{
    auto *err = reinterpret_cast<ErrorManager *>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void silent(j_common_ptr, int) {}

} // namespace

QImage decode(const QByteArray &data, QString *error)
{
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = errorExit;
    err.base.emit_message = silent;
    err.message[0] = 0;
    // Locals changed after setjmp and read after a jump must be volatile.
    QImage *volatile result = new QImage;

    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = QString::fromLatin1(err.message);
        delete result;
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(data.constData()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_start_decompress(&info);

    *result = QImage(int(info.output_width), int(info.output_height), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (result->isNull()) {
        jpeg_destroy_decompress(&info);
        if (error)
            *error = QStringLiteral("zu groß");
        delete result;
        return {};
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = result->scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    if (info.density_unit == 1 || info.density_unit == 2) {
        const double perMetre = info.density_unit == 1 ? 1.0 / 0.0254 : 100.0;
        result->setDotsPerMeterX(qRound(info.X_density * perMetre));
        result->setDotsPerMeterY(qRound(info.Y_density * perMetre));
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage out = *result;
    delete result;
    return out;
}

QByteArray encode(const QImage &image, int quality, int dpi)
{
    const bool grey = image.format() == QImage::Format_Grayscale8;
    const QImage source = grey ? image : image.convertToFormat(QImage::Format_RGB888);

    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(source.width());
    info.image_height = JDIMENSION(source.height());
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.write_JFIF_header = TRUE;
    info.density_unit = 1;  // dots per inch
    info.X_density = UINT16(dpi);
    info.Y_density = UINT16(dpi);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uchar *>(source.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray out(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

} // namespace jpeg
