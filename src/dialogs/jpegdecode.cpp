#include "dialogs/jpegdecode.h"

#include "common/errors.h"

#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace {
// Pictures above this many pixels per side are refused rather than allocated.
constexpr JDIMENSION kMaxSide = 8192;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// libjpeg's default handler ends the process; this one returns to decodeJpeg.
[[noreturn]] void errorExit(j_common_ptr cinfo)
{
    auto *manager = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

// Warnings of damaged but readable data are not printed to the terminal.
void quietMessage(j_common_ptr) {}

// Everything libjpeg touches lives on the heap, so that nothing whose value
// changes after setjmp sits in a local variable when longjmp returns there.
struct Decoder {
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    QImage image;
    bool created = false;

    ~Decoder()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

// Returns false with decoder.errors.message set when libjpeg gave up.
bool runDecoder(Decoder &decoder, const QByteArray &data)
{
    jpeg_decompress_struct &cinfo = decoder.cinfo;
    cinfo.err = jpeg_std_error(&decoder.errors.base);
    decoder.errors.base.error_exit = errorExit;
    decoder.errors.base.output_message = quietMessage;
    if (setjmp(decoder.errors.jump))
        return false;
    jpeg_create_decompress(&cinfo);
    decoder.created = true;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width > kMaxSide || cinfo.image_height > kMaxSide) {
        std::snprintf(decoder.errors.message, sizeof decoder.errors.message,
                      "Picture too large (%u x %u)", cinfo.image_width, cinfo.image_height);
        return false;
    }
    // The pixel layout of QImage::Format_RGB32 in memory.
    cinfo.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&cinfo);
    decoder.image = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB32);
    if (decoder.image.isNull()) {
        std::snprintf(decoder.errors.message, sizeof decoder.errors.message, "Out of memory");
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = decoder.image.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}
} // namespace

QImage decodeJpeg(const QByteArray &data)
{
    if (data.isEmpty())
        throw Error(QStringLiteral("Not a JPEG picture: no data"));
    auto decoder = std::make_unique<Decoder>();
    if (!runDecoder(*decoder, data))
        throw Error(QStringLiteral("Not a JPEG picture: ") +
                    QString::fromLatin1(decoder->errors.message));
    return std::move(decoder->image);
}
