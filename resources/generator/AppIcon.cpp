#include "AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// Drawn on a 192-pixel grid and reduced, so that the thin lines keep their weight at 48 pixels.
constexpr int kGrid = 192;

const QColor kInk(20, 20, 20);
const QColor kSkin(246, 204, 160);
const QColor kSkinShade(222, 170, 124);

void Shirt(QPainter& p)
{
    QPainterPath shirt;
    shirt.moveTo(8, 192);
    shirt.cubicTo(10, 160, 30, 146, 66, 138);
    shirt.lineTo(126, 138);
    shirt.cubicTo(162, 146, 182, 160, 184, 192);
    shirt.closeSubpath();
    QLinearGradient cloth(0, 138, 0, 192);
    cloth.setColorAt(0.0, QColor(255, 255, 255));
    cloth.setColorAt(1.0, QColor(214, 220, 232));
    p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(cloth);
    p.drawPath(shirt);
    // Button placket.
    p.setPen(QPen(QColor(150, 156, 170), 3));
    p.drawLine(QPointF(96, 150), QPointF(96, 192));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 156, 170));
    p.drawEllipse(QPointF(96, 168), 3.5, 3.5);
    p.drawEllipse(QPointF(96, 186), 3.5, 3.5);
}

void Neck(QPainter& p)
{
    p.setPen(QPen(kInk, 5));
    p.setBrush(kSkinShade);
    p.drawRect(QRectF(80, 116, 32, 28));
}

void Collar(QPainter& p)
{
    p.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    QPainterPath left;
    left.moveTo(96, 146);
    left.lineTo(72, 132);
    left.lineTo(64, 156);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(96, 146);
    right.lineTo(120, 132);
    right.lineTo(128, 156);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
}

void BowTie(QPainter& p)
{
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kInk);
    QPainterPath bow;
    bow.moveTo(96, 150);
    bow.lineTo(72, 138);
    bow.lineTo(72, 164);
    bow.closeSubpath();
    bow.moveTo(96, 150);
    bow.lineTo(120, 138);
    bow.lineTo(120, 164);
    bow.closeSubpath();
    p.drawPath(bow);
    p.drawRoundedRect(QRectF(89, 143, 14, 14), 3, 3);
}

void PocketWithPens(QPainter& p)
{
    const QColor pens[] = {QColor(30, 90, 230), QColor(230, 30, 30), QColor(250, 200, 20)};
    for (int i = 0; i < 3; ++i) {
        const double x = 127 + i * 11;
        const double top = i == 1 ? 144 : 150;
        p.setPen(QPen(kInk, 3));
        p.setBrush(pens[i]);
        p.drawRoundedRect(QRectF(x, top, 9, 32), 4, 4);
    }
    p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(246, 248, 252));
    p.drawRect(QRectF(122, 168, 42, 24));
}

void Head(QPainter& p)
{
    QRadialGradient skin(QPointF(86, 66), 62);
    skin.setColorAt(0.0, kSkin.lighter(106));
    skin.setColorAt(1.0, kSkinShade);
    p.setPen(QPen(kInk, 5));
    p.setBrush(skin);
    p.drawEllipse(QPointF(58, 80), 10, 15);
    p.drawEllipse(QPointF(134, 80), 10, 15);
    p.drawEllipse(QRectF(56, 22, 80, 104));

    // Hair: a black cap with a side parting and a short fringe.
    QPainterPath hair;
    hair.moveTo(54, 78);
    hair.cubicTo(46, 30, 80, 10, 104, 14);
    hair.cubicTo(130, 16, 148, 38, 138, 78);
    hair.cubicTo(134, 60, 128, 48, 118, 44);
    hair.cubicTo(100, 52, 80, 46, 70, 40);
    hair.cubicTo(62, 50, 60, 62, 54, 78);
    hair.closeSubpath();
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kInk);
    p.drawPath(hair);
    p.setPen(QPen(QColor(90, 90, 90), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(84, 22), QPointF(78, 36));
}

void Face(QPainter& p)
{
    // Thick black-rimmed glasses with a bridge and side pieces.
    p.setPen(QPen(kInk, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(225, 240, 255, 120));
    p.drawRoundedRect(QRectF(62, 64, 30, 24), 7, 7);
    p.drawRoundedRect(QRectF(100, 64, 30, 24), 7, 7);
    p.drawLine(QPointF(92, 72), QPointF(100, 72));
    p.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(62, 70), QPointF(56, 68));
    p.drawLine(QPointF(130, 70), QPointF(136, 68));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(78, 77), 4.5, 4.5);
    p.drawEllipse(QPointF(114, 77), 4.5, 4.5);
    p.setPen(QPen(kSkinShade.darker(130), 4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(88, 84, 16, 14), 200 * 16, 140 * 16);
    p.setPen(QPen(kInk, 4.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(76, 88, 40, 22), 205 * 16, 130 * 16);
}

}  // namespace

QImage DrawAppIcon()
{
    QImage large(kGrid, kGrid, QImage::Format_ARGB32_Premultiplied);
    large.fill(Qt::transparent);
    QPainter p(&large);
    p.setRenderHint(QPainter::Antialiasing);
    Shirt(p);
    Neck(p);
    Collar(p);
    PocketWithPens(p);
    BowTie(p);
    Head(p);
    Face(p);
    p.end();
    return large.scaled(48, 48, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_ARGB32);
}
