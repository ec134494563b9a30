// Draws the lobby download window's banner (400 x 339) and writes it as a
// baseline JPEG with libjpeg. Run through tools/draw_banner.sh.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <jpeglib.h>

namespace {
void drawTile(QPainter &p, const QRectF &r, QChar letter)
{
    p.setPen(QPen(QColor(120, 84, 40), 1.5));
    QLinearGradient wood(r.topLeft(), r.bottomRight());
    wood.setColorAt(0, QColor(250, 228, 180));
    wood.setColorAt(1, QColor(222, 186, 126));
    p.setBrush(wood);
    p.drawRoundedRect(r, 4, 4);
    p.setPen(QColor(60, 36, 16));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 18, QFont::Bold));
    p.drawText(r, Qt::AlignCenter, QString(letter));
}

void drawBubble(QPainter &p, const QRectF &r, const QString &text, const QColor &colour,
                bool tailLeft)
{
    QPainterPath bubble;
    bubble.addRoundedRect(r, 10, 10);
    QPolygonF tail;
    const qreal x = tailLeft ? r.left() + 16 : r.right() - 16;
    tail << QPointF(x - 6, r.bottom() - 1) << QPointF(x + 6, r.bottom() - 1)
         << QPointF(tailLeft ? x - 10 : x + 10, r.bottom() + 12);
    bubble.addPolygon(tail);
    bubble.setFillRule(Qt::WindingFill);
    p.setPen(QPen(colour.darker(160), 1.5));
    p.setBrush(colour);
    p.drawPath(bubble.simplified());
    p.setPen(QColor(30, 30, 30));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 10, QFont::Bold));
    p.drawText(r, Qt::AlignCenter, text);
}

void drawPlayer(QPainter &p, QPointF at, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(at, 13, 13);
    QPainterPath body;
    body.moveTo(at + QPointF(-24, 52));
    body.quadTo(at + QPointF(-24, 18), at + QPointF(0, 17));
    body.quadTo(at + QPointF(24, 18), at + QPointF(24, 52));
    body.closeSubpath();
    p.drawPath(body);
}

QImage drawBanner()
{
    QImage image(400, 339, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, 339);
    sky.setColorAt(0, QColor(28, 44, 86));
    sky.setColorAt(1, QColor(10, 16, 34));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        p.setBrush(QColor(255, 255, 255, 40 + (i * 37) % 120));
        p.drawEllipse(QPointF((i * 97) % 400, (i * 53) % 110), 1.2, 1.2);
    }

    p.setPen(QColor(244, 200, 90));
    p.setFont(QFont(QStringLiteral("DejaVu Serif"), 20, QFont::Bold, true));
    p.drawText(QRectF(0, 8, 400, 34), Qt::AlignCenter, QStringLiteral("The Quillmark"));
    p.setFont(QFont(QStringLiteral("DejaVu Serif"), 40, QFont::Bold));
    p.drawText(QRectF(0, 38, 400, 60), Qt::AlignCenter, QStringLiteral("LOBBY"));

    // The hanging sign that the window writes "IS CLOSED" on.
    p.setPen(QPen(QColor(170, 170, 180), 2));
    p.drawLine(QPointF(140, 100), QPointF(130, 118));
    p.drawLine(QPointF(260, 100), QPointF(270, 118));
    p.setPen(QPen(QColor(90, 58, 26), 3));
    p.setBrush(QColor(250, 244, 226));
    p.drawRoundedRect(QRectF(110, 118, 180, 44), 6, 6);

    const QString word = QStringLiteral("LEXICLASH");
    for (int i = 0; i < word.size(); ++i)
        drawTile(p, QRectF(22 + i * 40, 182, 36, 36), word[i]);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 110, 60));
    p.drawRoundedRect(QRectF(60, 300, 280, 30), 12, 12);
    drawPlayer(p, QPointF(90, 262), QColor(220, 80, 70));
    drawPlayer(p, QPointF(200, 256), QColor(80, 150, 230));
    drawPlayer(p, QPointF(310, 262), QColor(240, 190, 60));
    drawBubble(p, QRectF(18, 226, 80, 22), QStringLiteral("Hi all!"), QColor(255, 236, 230), true);
    drawBubble(p, QRectF(300, 226, 90, 22), QStringLiteral("Rematch?"), QColor(255, 248, 220),
               false);
    return image;
}

bool writeJpeg(const QImage &source, const char *path)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    FILE *out = std::fopen(path, "wb");
    if (!out)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(out) == 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_banner OUTPUT.jpg\n");
        return 2;
    }
    if (!writeJpeg(drawBanner(), argv[1])) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
