#include "resources/Artwork.h"

#include <algorithm>

#include <QBitmap>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace slidemill::artwork {
namespace {

const QColor kTeal(0, 96, 96);
const QColor kTealLight(40, 150, 150);
const QColor kPdfRed(200, 40, 40);

// A slide (landscape sheet) turning into a PDF page (portrait sheet with a folded corner).
void PaintAppIcon(QPainter& p, int s) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = s / 32.0;
    // the slide, behind
    p.setPen(QPen(kTeal.darker(130), u));
    p.setBrush(kTealLight);
    p.drawRect(QRectF(1 * u, 5 * u, 20 * u, 15 * u));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4 * u, 8 * u, 9 * u, 2 * u));
    p.drawRect(QRectF(4 * u, 12 * u, 12 * u, 1.5 * u));
    // the page, in front
    QPainterPath page;
    page.moveTo(12 * u, 9 * u);
    page.lineTo(25 * u, 9 * u);
    page.lineTo(31 * u, 15 * u);
    page.lineTo(31 * u, 31 * u);
    page.lineTo(12 * u, 31 * u);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), u));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(220, 220, 220));
    p.drawPolygon(QPolygonF({QPointF(25 * u, 9 * u), QPointF(25 * u, 15 * u), QPointF(31 * u, 15 * u)}));
    p.setPen(Qt::NoPen);
    p.setBrush(kPdfRed);
    p.drawRect(QRectF(14 * u, 22 * u, 15 * u, 7 * u));
    if (s >= 24) {
        QFont f("Liberation Sans");
        f.setBold(true);
        f.setPixelSize(int(6 * u));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(14 * u, 22 * u, 15 * u, 7 * u), Qt::AlignCenter, "PDF");
    }
}

void PaintBanner(QPainter& p, QSize size) {
    const int w = size.width(), h = size.height();
    QLinearGradient g(0, 0, w, 0);
    g.setColorAt(0.0, kTeal.darker(140));
    g.setColorAt(1.0, kTealLight);
    p.fillRect(QRect(QPoint(0, 0), size), g);
    p.setRenderHint(QPainter::Antialiasing);
    // a fan of slides on the right
    for (int i = 0; i < 4; ++i) {
        const qreal x = w - h * 1.9 + i * h * 0.32, y = h * 0.18 + i * h * 0.05;
        p.setPen(QPen(QColor(255, 255, 255, 160), 1));
        p.setBrush(QColor(255, 255, 255, 40 + 30 * i));
        p.drawRect(QRectF(x, y, h * 0.9, h * 0.62));
    }
    QFont title("Liberation Sans");
    title.setBold(true);
    title.setPixelSize(std::max(10, h * 2 / 5));
    p.setFont(title);
    p.setPen(Qt::white);
    const QRectF text(h * 0.35, 0, w, h * 0.62);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, "Slidemill");
    QFont sub("Liberation Sans");
    sub.setPixelSize(std::max(8, h / 6));
    p.setFont(sub);
    p.setPen(QColor(225, 240, 240));
    p.drawText(QRectF(h * 0.37, h * 0.58, w, h * 0.3), Qt::AlignLeft | Qt::AlignTop,
               "Presentations to PDF, one page per slide");
}

void PaintPicture(QPainter& p, QSize size) {
    p.fillRect(QRect(QPoint(0, 0), size), kTeal);
    const int s = std::min(size.width(), size.height());
    p.save();
    p.translate((size.width() - s) / 2.0, (size.height() - s) / 2.0);
    PaintAppIcon(p, s);
    p.restore();
}

// Four tab images of 16 x 16 on white: 0 lock, 1 document information, 2 font, 3 watermark.
void PaintTabImages(QPainter& p) {
    p.fillRect(0, 0, 64, 16, Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    // 0: a padlock
    p.setPen(QPen(QColor(120, 90, 0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(4, 1, 8, 9), 0, 180 * 16);
    p.drawLine(4, 5, 4, 8);
    p.drawLine(12, 5, 12, 8);
    p.setPen(QColor(120, 90, 0));
    p.setBrush(QColor(230, 180, 30));
    p.drawRect(2, 7, 12, 8);
    p.fillRect(7, 10, 2, 3, QColor(80, 60, 0));
    // 1: a page with lines and an "i"
    p.setPen(QColor(70, 70, 70));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(16 + 2, 1, 11, 14);
    for (int y = 4; y <= 12; y += 3) p.drawLine(16 + 4, y, 16 + 10, y);
    p.fillRect(16 + 10, 9, 5, 6, kTeal);
    p.fillRect(16 + 12, 10, 1, 1, Qt::white);
    p.fillRect(16 + 12, 12, 1, 2, Qt::white);
    // 2: the letter A
    QFont f("Liberation Serif");
    f.setBold(true);
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(QColor(30, 30, 140));
    p.drawText(QRect(32, 0, 16, 16), Qt::AlignCenter, "A");
    // 3: a page crossed by a light diagonal stamp
    p.setPen(QColor(70, 70, 70));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(48 + 2, 1, 11, 14);
    p.setPen(QPen(QColor(80, 160, 220), 2));
    p.drawLine(48 + 4, 13, 48 + 11, 3);
}

// The progress strip's icon: a small slide, teal on transparent.
void PaintProgressIcon(QPainter& p, int s) {
    p.setRenderHint(QPainter::Antialiasing);
    const qreal u = s / 16.0;
    p.setPen(QPen(QColor(255, 255, 255), u));
    p.setBrush(QColor(250, 200, 60));
    p.drawRoundedRect(QRectF(1.5 * u, 3.5 * u, 13 * u, 9 * u), 1.5 * u, 1.5 * u);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 80, 0));
    p.drawRect(QRectF(4 * u, 6 * u, 6 * u, 1.2 * u));
    p.drawRect(QRectF(4 * u, 8.5 * u, 8 * u, 1.2 * u));
}

// The Help button's picture on magenta: a blue disc with a question mark.
void PaintHelpButton(QPainter& p) {
    p.fillRect(0, 0, 16, 16, QColor(255, 0, 255));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(20, 60, 150));
    p.setBrush(QColor(50, 110, 210));
    p.drawEllipse(QRect(1, 1, 13, 13));
    QFont f("Liberation Sans");
    f.setBold(true);
    f.setPixelSize(11);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(1, 1, 14, 14), Qt::AlignCenter, "?");
}

}  // namespace

QSize BitmapSize(int id) {
    switch (id) {
        case kBitmapBanner: return {720, 106};
        case kBitmapPicture: return {64, 64};
        case kBitmapTabImages: return {64, 16};
        case kBitmapHelpButton: return {16, 16};
        default: return {};
    }
}

QPixmap LoadBitmap(int id, QSize size) {
    if (size.isEmpty()) size = BitmapSize(id);
    if (size.isEmpty()) return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    switch (id) {
        case kBitmapBanner: PaintBanner(p, size); break;
        case kBitmapPicture: PaintPicture(p, size); break;
        case kBitmapTabImages: p.scale(size.width() / 64.0, size.height() / 16.0); PaintTabImages(p); break;
        case kBitmapHelpButton: p.scale(size.width() / 16.0, size.height() / 16.0); PaintHelpButton(p); break;
        default: p.end(); return {};
    }
    return pixmap;
}

QIcon LoadIcon(int id) {
    if (id != kIconApp && id != kIconProgress) return {};
    QIcon icon;
    for (int s : {16, 24, 32, 48}) {
        QPixmap pixmap(s, s);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        if (id == kIconApp)
            PaintAppIcon(p, s);
        else
            PaintProgressIcon(p, s);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap MaskedBitmap(const QPixmap& bitmap, const QColor& transparent) {
    QPixmap out = bitmap;
    out.setMask(bitmap.createMaskFromColor(transparent, Qt::MaskInColor));
    return out;
}

}  // namespace slidemill::artwork
