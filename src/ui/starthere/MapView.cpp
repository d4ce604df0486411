#include "ui/starthere/MapView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon {

namespace {

// The colours of an editor's map: dark ground, walls bright, openings dim, specials warm.
const QColor kGround(24, 26, 32);
const QColor kOneSided(225, 228, 235);
const QColor kTwoSided(110, 118, 130);
const QColor kSpecial(255, 170, 40);
const QColor kThing(90, 200, 110);
const QColor kStart(80, 190, 255);
const QColor kMarker(255, 70, 70);

// How near the marker (in pixels) a press must be to turn it.
constexpr double kGrip = 12;
constexpr double kMargin = 12;

// An arrow at `at` (view pixels) facing `degrees`, `length` pixels long.
void DrawArrow(QPainter& painter, QPointF at, double degrees, double length) {
  const double a = degrees * std::numbers::pi / 180;
  const QPointF tip = at + QPointF(std::cos(a), -std::sin(a)) * length;
  const auto wing = [&](double turn) {
    const double w = a + std::numbers::pi + turn;
    return tip + QPointF(std::cos(w), -std::sin(w)) * (length * 0.45);
  };
  const QLineF lines[] = {{at, tip}, {tip, wing(0.5)}, {tip, wing(-0.5)}};
  painter.drawLines(lines, 3);
}

// The map's own layer, drawn straight into the pixels of an RGB32 image: one-pixel lines
// without blending and small dots. For a map of 100 000 lines this is many times faster than
// the painter's stroker, which pays its set-up for every line.
class Raster {
 public:
  explicit Raster(QImage& image)
      : bits_(reinterpret_cast<QRgb*>(image.bits())),
        stride_(image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
        width_(image.width()),
        height_(image.height()) {}

  // A line between two points in pixels; `thick` doubles it across its direction.
  void Line(QPointF a, QPointF b, QRgb colour, bool thick) {
    if (!Clip(a, b)) return;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double steps = std::max(std::abs(dx), std::abs(dy));
    const int count = static_cast<int>(std::ceil(steps));
    const double sx = count > 0 ? dx / count : 0;
    const double sy = count > 0 ? dy / count : 0;
    const bool steep = std::abs(dy) > std::abs(dx);
    double x = a.x();
    double y = a.y();
    for (int i = 0; i <= count; ++i, x += sx, y += sy) {
      const int px = static_cast<int>(x + 0.5);
      const int py = static_cast<int>(y + 0.5);
      Put(px, py, colour);
      if (thick) Put(px + (steep ? 1 : 0), py + (steep ? 0 : 1), colour);
    }
  }

  // A dot four pixels across, its corners cut.
  void Dot(QPointF at, QRgb colour) {
    const int left = static_cast<int>(std::floor(at.x())) - 1;
    const int top = static_cast<int>(std::floor(at.y())) - 1;
    for (int row = 0; row < 4; ++row) {
      for (int col = 0; col < 4; ++col) {
        if ((row == 0 || row == 3) && (col == 0 || col == 3)) continue;
        Put(left + col, top + row, colour);
      }
    }
  }

 private:
  void Put(int x, int y, QRgb colour) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) bits_[y * stride_ + x] = colour;
  }

  // Liang-Barsky: the part of the line inside the image, or false when none is.
  bool Clip(QPointF& a, QPointF& b) const {
    const double right = width_ - 0.5;
    const double bottom = height_ - 0.5;
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double from = 0;
    double to = 1;
    const auto edge = [&](double p, double q) {
      if (p == 0) return q >= 0;
      const double r = q / p;
      if (p < 0) {
        if (r > to) return false;
        from = std::max(from, r);
      } else {
        if (r < from) return false;
        to = std::min(to, r);
      }
      return true;
    };
    if (!edge(-dx, a.x() + 0.5) || !edge(dx, right - a.x()) || !edge(-dy, a.y() + 0.5) ||
        !edge(dy, bottom - a.y())) {
      return false;
    }
    const QPointF start = a;
    a = start + QPointF(dx, dy) * from;
    b = start + QPointF(dx, dy) * to;
    return true;
  }

  QRgb* bits_;
  qsizetype stride_;
  int width_;
  int height_;
};

}  // namespace

MapPicture MakeMapPicture(std::shared_ptr<const wad::MapData> map) {
  MapPicture picture;
  const auto count = static_cast<std::int64_t>(map->vertices.size());
  double left = 0, right = 0, bottom = 0, top = 0;
  bool any = false;
  const auto extend = [&](double x, double y) {
    if (!any) {
      left = right = x;
      bottom = top = y;
      any = true;
    }
    left = std::min(left, x);
    right = std::max(right, x);
    bottom = std::min(bottom, y);
    top = std::max(top, y);
  };
  for (const wad::MapLine& line : map->lines) {
    if (line.v1 < 0 || line.v1 >= count || line.v2 < 0 || line.v2 >= count) continue;
    const wad::MapVertex& a = map->vertices[static_cast<std::size_t>(line.v1)];
    const wad::MapVertex& b = map->vertices[static_cast<std::size_t>(line.v2)];
    extend(a.x, a.y);
    extend(b.x, b.y);
    QVector<QLineF>& kind = line.special != 0 ? picture.special
                            : line.front != wad::kNoSide && line.back != wad::kNoSide
                                ? picture.twoSided
                                : picture.oneSided;
    kind.append(QLineF(a.x, a.y, b.x, b.y));
  }
  for (const wad::MapThing& thing : map->things) {
    if (thing.hasType && thing.type >= 1 && thing.type <= 4) {
      picture.starts.append({thing.x, thing.y});
      picture.startFacings.append(thing.angle);
    } else {
      picture.things.append({thing.x, thing.y});
    }
  }
  picture.bounds = any ? QRectF(QPointF(left, bottom), QPointF(right, top)) : QRectF();
  picture.map = std::move(map);
  return picture;
}

MapView::MapView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("mapView"));
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(false);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
}

void MapView::SetPicture(MapPicture picture) {
  picture_ = std::move(picture);
  fitted_ = false;
  Fit();
}

void MapView::SetMarker(std::optional<wad::StartSpot> marker) {
  marker_ = marker;
  update();
}

void MapView::Fit() {
  const QRectF bounds = picture_.bounds;
  const double width = std::max(1.0, bounds.width());
  const double height = std::max(1.0, bounds.height());
  scale_ = std::min((this->width() - 2 * kMargin) / width, (this->height() - 2 * kMargin) / height);
  if (!(scale_ > 0)) scale_ = 1;
  centre_ = bounds.center();
  fitted_ = true;
  update();
}

QPointF MapView::ToMap(QPointF point) const {
  return {centre_.x() + (point.x() - width() / 2.0) / scale_,
          centre_.y() - (point.y() - height() / 2.0) / scale_};
}

QPointF MapView::ToView(QPointF point) const {
  return {width() / 2.0 + (point.x() - centre_.x()) * scale_,
          height() / 2.0 - (point.y() - centre_.y()) * scale_};
}

void MapView::paintEvent(QPaintEvent*) {
  // Lines and things go into an image of the view's device pixels, then onto the widget;
  // the starts and the marker are drawn over it, smoothed.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (layer_.size() != pixels) layer_ = QImage(pixels, QImage::Format_RGB32);
  layer_.setDevicePixelRatio(ratio);
  layer_.fill(kGround);
  Raster raster(layer_);
  const auto toPixels = [&](const QPointF& point) { return ToView(point) * ratio; };
  const auto draw = [&](const QVector<QLineF>& lines, const QColor& colour, bool thick) {
    const QRgb rgb = colour.rgb();
    for (const QLineF& line : lines)
      raster.Line(toPixels(line.p1()), toPixels(line.p2()), rgb, thick);
  };
  draw(picture_.twoSided, kTwoSided, false);
  draw(picture_.oneSided, kOneSided, false);
  draw(picture_.special, kSpecial, true);
  const QRgb thing = kThing.rgb();
  for (const QPointF& at : picture_.things) raster.Dot(toPixels(at), thing);

  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), layer_);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(kStart, 2));
  for (qsizetype i = 0; i < picture_.starts.size(); ++i) {
    DrawArrow(painter, ToView(picture_.starts[i]), picture_.startFacings[i], 12);
  }
  if (marker_) {
    const QPointF at = ToView({marker_->x, marker_->y});
    painter.setPen(QPen(kMarker, 2.5));
    painter.drawEllipse(at, 7, 7);
    DrawArrow(painter, at, marker_->angle, 22);
  }
}

void MapView::resizeEvent(QResizeEvent*) {
  if (!fitted_) Fit();
}

void MapView::wheelEvent(QWheelEvent* event) {
  const QPointF at = event->position();
  const QPointF before = ToMap(at);
  scale_ *= std::pow(1.2, event->angleDelta().y() / 120.0);
  scale_ = std::clamp(scale_, 1e-5, 1e3);
  // The point under the pointer stays there.
  const QPointF after = ToMap(at);
  centre_ += before - after;
  update();
  event->accept();
}

void MapView::mousePressEvent(QMouseEvent* event) {
  pressedAt_ = lastAt_ = event->position();
  if (event->button() != Qt::LeftButton) {
    gesture_ = Gesture::Pan;
    return;
  }
  const bool onMarker =
      marker_ && QLineF(ToView({marker_->x, marker_->y}), pressedAt_).length() <= kGrip;
  gesture_ = onMarker ? Gesture::Turn : Gesture::Click;
}

void MapView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (gesture_ == Gesture::Click &&
      QLineF(at, pressedAt_).length() >= QApplication::startDragDistance()) {
    gesture_ = Gesture::Pan;
  }
  if (gesture_ == Gesture::Pan) {
    centre_ -= QPointF(at.x() - lastAt_.x(), lastAt_.y() - at.y()) / scale_;
    update();
  } else if (gesture_ == Gesture::Turn && marker_) {
    const QPointF from = ToView({marker_->x, marker_->y});
    if (QLineF(from, at).length() >= kGrip / 2) {
      emit Turned(std::atan2(from.y() - at.y(), at.x() - from.x()) * 180 / std::numbers::pi);
    }
  }
  lastAt_ = at;
}

void MapView::mouseReleaseEvent(QMouseEvent* event) {
  if (gesture_ == Gesture::Click) emit Clicked(ToMap(event->position()));
  gesture_ = Gesture::None;
}

void MapView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Home) {
    Fit();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quillon
