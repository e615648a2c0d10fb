#include "SplashPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <cmath>

namespace {

// The photograph is drawn at four times its size and reduced, which gives it the softness of a photograph.
constexpr int kScale = 4;
constexpr int kPhotoWidth = 120;
constexpr int kPhotoHeight = 90;

QBrush Wood(const QRectF& area, QColor light, QColor dark)
{
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0.0, light.lighter(112));
    gradient.setColorAt(0.45, light);
    gradient.setColorAt(1.0, dark);
    return gradient;
}

// Fine, slightly wavy grain lines across a wooden part, clipped to its outline.
void Grain(QPainter& p, const QPainterPath& outline, QColor colour, QRandomGenerator& random)
{
    p.save();
    p.setClipPath(outline, Qt::IntersectClip);
    const QRectF box = outline.boundingRect();
    for (double y = box.top() + 3; y < box.bottom(); y += 5 + random.bounded(6)) {
        QPainterPath line;
        line.moveTo(box.left() - 4, y);
        const double wave = 1.0 + random.bounded(2.5);
        const double phase = random.bounded(6.28);
        for (double x = box.left(); x <= box.right() + 4; x += 6)
            line.lineTo(x, y + wave * std::sin(x / 23.0 + phase));
        QColor c = colour;
        c.setAlpha(40 + random.bounded(60));
        p.setPen(QPen(c, 1.0 + random.bounded(1.5)));
        p.drawPath(line);
    }
    p.restore();
}

void WoodenPart(QPainter& p, const QPainterPath& outline, QColor light, QColor dark, QRandomGenerator& random)
{
    p.setPen(QPen(dark.darker(160), 2.0));
    p.setBrush(Wood(outline.boundingRect(), light, dark));
    p.drawPath(outline);
    Grain(p, outline, dark.darker(140), random);
}

void Wheel(QPainter& p, QPointF centre, double radius, QColor wood)
{
    QRadialGradient tyre(centre - QPointF(radius * 0.3, radius * 0.3), radius * 1.3);
    tyre.setColorAt(0.0, wood.lighter(115));
    tyre.setColorAt(1.0, wood.darker(190));
    p.setPen(QPen(QColor(40, 24, 10), 2.0));
    p.setBrush(tyre);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(QColor(70, 40, 16, 160), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius * 0.62, radius * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(52, 30, 12));
    p.drawEllipse(centre, radius * 0.18, radius * 0.18);
}

QPainterPath RoundedBox(const QRectF& r, double radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

void Backdrop(QPainter& p, const QRectF& area, QRandomGenerator& random)
{
    QLinearGradient cloth(area.topLeft(), area.bottomLeft());
    cloth.setColorAt(0.0, QColor(10, 22, 70));
    cloth.setColorAt(0.65, QColor(18, 38, 104));
    cloth.setColorAt(1.0, QColor(8, 18, 58));
    p.fillRect(area, cloth);
    QRadialGradient light(area.center() + QPointF(-area.width() * 0.15, -area.height() * 0.2), area.width() * 0.6);
    light.setColorAt(0.0, QColor(70, 100, 190, 90));
    light.setColorAt(1.0, QColor(70, 100, 190, 0));
    p.fillRect(area, light);
    // The weave of the cloth.
    for (int i = 0; i < 1400; ++i) {
        const QPointF at(random.bounded(area.width()), random.bounded(area.height()));
        p.setPen(QPen(QColor(120, 150, 230, 10 + random.bounded(20)), 1.0));
        p.drawPoint(at);
    }
}

QImage DrawPhotograph()
{
    QRandomGenerator random(20240611);
    const double w = kPhotoWidth * kScale;
    const double h = kPhotoHeight * kScale;
    QImage photo(int(w), int(h), QImage::Format_RGB32);
    QPainter p(&photo);
    p.setRenderHint(QPainter::Antialiasing);
    Backdrop(p, QRectF(0, 0, w, h), random);

    const QColor pine(214, 166, 104);
    const QColor pineDark(150, 98, 48);
    const QColor walnut(150, 92, 48);
    const QColor walnutDark(88, 50, 22);

    // Soft shadow on the cloth.
    QRadialGradient shadow(QPointF(w * 0.5, h * 0.83), w * 0.42);
    shadow.setColorAt(0.0, QColor(0, 0, 10, 150));
    shadow.setColorAt(1.0, QColor(0, 0, 10, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shadow);
    p.drawEllipse(QPointF(w * 0.5, h * 0.83), w * 0.44, h * 0.07);

    // Chassis beam, flatbed with low side rails, cab with its window, bonnet.
    WoodenPart(p, RoundedBox(QRectF(w * 0.10, h * 0.60, w * 0.80, h * 0.08), 6), pineDark.lighter(110), pineDark, random);
    WoodenPart(p, RoundedBox(QRectF(w * 0.06, h * 0.50, w * 0.58, h * 0.11), 5), pine, pineDark, random);
    WoodenPart(p, RoundedBox(QRectF(w * 0.06, h * 0.45, w * 0.04, h * 0.07), 3), pine, pineDark, random);
    WoodenPart(p, RoundedBox(QRectF(w * 0.60, h * 0.45, w * 0.04, h * 0.07), 3), pine, pineDark, random);
    QPainterPath cab;
    cab.moveTo(w * 0.66, h * 0.61);
    cab.lineTo(w * 0.66, h * 0.28);
    cab.quadTo(w * 0.66, h * 0.24, w * 0.70, h * 0.24);
    cab.lineTo(w * 0.77, h * 0.24);
    cab.quadTo(w * 0.80, h * 0.24, w * 0.81, h * 0.28);
    cab.lineTo(w * 0.83, h * 0.40);
    cab.lineTo(w * 0.92, h * 0.42);
    cab.quadTo(w * 0.95, h * 0.43, w * 0.95, h * 0.47);
    cab.lineTo(w * 0.95, h * 0.61);
    cab.closeSubpath();
    WoodenPart(p, cab, pine, pineDark, random);
    p.setPen(QPen(pineDark.darker(170), 2.0));
    p.setBrush(QColor(30, 36, 60));
    p.drawPath(RoundedBox(QRectF(w * 0.69, h * 0.29, w * 0.09, h * 0.11), 4));
    p.setBrush(QColor(250, 236, 170));
    p.drawEllipse(QPointF(w * 0.935, h * 0.50), w * 0.012, h * 0.022);

    // The small car on the bed.
    QPainterPath body = RoundedBox(QRectF(w * 0.12, h * 0.37, w * 0.44, h * 0.10), 8);
    QPainterPath roof;
    roof.moveTo(w * 0.20, h * 0.38);
    roof.quadTo(w * 0.22, h * 0.24, w * 0.31, h * 0.24);
    roof.lineTo(w * 0.40, h * 0.24);
    roof.quadTo(w * 0.47, h * 0.25, w * 0.49, h * 0.38);
    roof.closeSubpath();
    WoodenPart(p, roof, walnut, walnutDark, random);
    WoodenPart(p, body, walnut, walnutDark, random);
    p.setPen(QPen(walnutDark.darker(160), 1.5));
    p.setBrush(QColor(40, 40, 58));
    p.drawPath(RoundedBox(QRectF(w * 0.245, h * 0.275, w * 0.07, h * 0.085), 3));
    p.drawPath(RoundedBox(QRectF(w * 0.335, h * 0.275, w * 0.08, h * 0.085), 3));
    Wheel(p, QPointF(w * 0.22, h * 0.48), h * 0.045, walnut.darker(130));
    Wheel(p, QPointF(w * 0.46, h * 0.48), h * 0.045, walnut.darker(130));

    // The truck's wheels: two at the back, one under the cab.
    Wheel(p, QPointF(w * 0.20, h * 0.70), h * 0.10, pine);
    Wheel(p, QPointF(w * 0.42, h * 0.70), h * 0.10, pine);
    Wheel(p, QPointF(w * 0.81, h * 0.70), h * 0.10, pine);

    // Darker corners, as a lens gives them.
    QRadialGradient vignette(QPointF(w * 0.5, h * 0.5), w * 0.75);
    vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.fillRect(QRectF(0, 0, w, h), vignette);
    p.end();
    return photo;
}

void Arrow(QPainter& p)
{
    const QColor red(208, 20, 20);
    QPainterPath curve;
    curve.moveTo(72, 106);
    curve.cubicTo(74, 150, 104, 172, 140, 172);
    p.setPen(QPen(red, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    QPainterPath head;
    head.moveTo(153, 172);
    head.lineTo(136, 162);
    head.lineTo(136, 182);
    head.closeSubpath();
    p.setPen(QPen(red, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(red);
    p.drawPath(head);
}

// The grain of film: a little noise on every pixel, after the reduction so that it survives it.
void AddGrain(QImage& image)
{
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = random.bounded(11) - 5;
            row[x] = qRgb(qBound(0, qRed(row[x]) + n, 255), qBound(0, qGreen(row[x]) + n, 255),
                          qBound(0, qBlue(row[x]) + n, 255));
        }
    }
}

}  // namespace

QImage DrawSplashPicture()
{
    QImage splash(206, 206, QImage::Format_RGB32);
    splash.fill(Qt::white);
    const QImage photo = DrawPhotograph();
    QImage large = photo.scaled(kPhotoWidth, kPhotoHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
    AddGrain(large);
    const QImage small = photo.scaled(40, 30, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QPainter p(&splash);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawImage(10, 10, large);
    p.drawImage(156, 157, small);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(9, 9, kPhotoWidth + 1, kPhotoHeight + 1);
    p.drawRect(155, 156, 41, 31);
    p.setRenderHint(QPainter::Antialiasing);
    Arrow(p);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 205, 205);
    p.end();
    return splash;
}
