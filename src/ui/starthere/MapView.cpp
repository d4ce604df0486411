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
  QPainter painter(this);
  painter.fillRect(rect(), kGround);
  // One transform for every line: Qt maps them as it rasterises, with cosmetic pens of one
  // pixel whatever the zoom.
  painter.save();
  painter.setTransform(QTransform(scale_, 0, 0, -scale_, width() / 2.0 - centre_.x() * scale_,
                                  height() / 2.0 + centre_.y() * scale_));
  const auto draw = [&](const QVector<QLineF>& lines, const QColor& colour, qreal width) {
    QPen pen(colour, width);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawLines(lines);
  };
  draw(picture_.twoSided, kTwoSided, 1);
  draw(picture_.oneSided, kOneSided, 1);
  draw(picture_.special, kSpecial, 1.5);
  QPen dots(kThing, 4, Qt::SolidLine, Qt::RoundCap);
  dots.setCosmetic(true);
  painter.setPen(dots);
  painter.drawPoints(picture_.things.constData(), static_cast<int>(picture_.things.size()));
  painter.restore();

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
