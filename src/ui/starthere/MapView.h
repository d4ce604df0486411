#pragma once

#include <QImage>
#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QVector>
#include <QWidget>
#include <memory>
#include <optional>

#include "core/wad/MapData.h"
#include "core/wad/StartSpot.h"

namespace quillon {

// A map made ready to draw: its lines by kind and its things, in map units (y north). Made
// off the GUI thread with the map it was read from.
struct MapPicture {
  std::shared_ptr<const wad::MapData> map;
  QVector<QLineF> oneSided;
  QVector<QLineF> twoSided;
  QVector<QLineF> special;  // any line with a special, whatever its sides
  QVector<QPointF> things;
  // Player starts (types 1 to 4): where, and the facing in degrees.
  QVector<QPointF> starts;
  QVector<double> startFacings;
  QRectF bounds;
};

// Reads nothing: sorts the map's lines and things for drawing. Lines naming a vertex that
// does not exist are left out.
MapPicture MakeMapPicture(std::shared_ptr<const wad::MapData> map);

// Draws a map and the chosen start. The wheel zooms about the pointer, a drag pans, Home
// fits the map to the view; a click is offered as a spot, and a drag that begins on the
// marker turns it.
class MapView : public QWidget {
  Q_OBJECT

 public:
  explicit MapView(QWidget* parent = nullptr);

  void SetPicture(MapPicture picture);
  const MapPicture& Picture() const { return picture_; }
  void SetMarker(std::optional<wad::StartSpot> marker);
  void Fit();

  // Between the view's pixels and map units.
  QPointF ToMap(QPointF point) const;
  QPointF ToView(QPointF point) const;
  double Scale() const { return scale_; }

  QSize sizeHint() const override { return {640, 480}; }

 signals:
  void Clicked(QPointF mapPoint);
  // The marker dragged to face the pointer: degrees, 0 east, counter-clockwise.
  void Turned(double degrees);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Gesture { None, Click, Pan, Turn };

  MapPicture picture_;
  QImage layer_;  // the lines and things of the last frame, kept for its memory
  std::optional<wad::StartSpot> marker_;
  double scale_ = 1;  // pixels per map unit
  QPointF centre_;    // the map point in the middle of the view
  bool fitted_ = false;
  Gesture gesture_ = Gesture::None;
  QPointF pressedAt_;
  QPointF lastAt_;
};

}  // namespace quillon
