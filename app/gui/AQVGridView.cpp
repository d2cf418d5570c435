#include "app/gui/AQVGridView.h"

#include <QLineF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QVector>
#include <algorithm>
#include <cmath>

namespace aqv {

namespace {

const QColor kBackgroundColor(Qt::white);
const QColor kNodeColor(40, 40, 40);
const QColor kMeshColor(60, 90, 150);
const QColor kBoundaryColor(20, 30, 80);
const QColor kPumpingWellColor(210, 30, 30);
const QColor kObservationWellColor(20, 110, 220);
constexpr double kNodeRadius = 1.5;  // pixels
constexpr double kWellRadius = 4;    // pixels

}  // namespace

TAQVGridView::TAQVGridView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TAQVGridView::Restart() {
  mTransformValid = false;
  mNodesDrawn = 0;
  mTrianglesDrawn = 0;
  mMeshDrawn = false;
  PreparePicture();
  repaint();
}

void TAQVGridView::PreparePicture() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels(std::max(1, qRound(width() * ratio)), std::max(1, qRound(height() * ratio)));
  if (mPicture.size() != pixels) mPicture = QImage(pixels, QImage::Format_RGB32);
  mPicture.setDevicePixelRatio(ratio);
  mPicture.fill(kBackgroundColor);
}

bool TAQVGridView::UpdateTransform() {
  const double radius = mGrid.Radius();
  mTransformValid = radius > 0 && std::isfinite(radius) && std::isfinite(mGrid.CentreX()) &&
                    std::isfinite(mGrid.CentreY());
  if (mTransformValid) {
    mTransform =
        TMeshTransform::ForArea(width(), height(), radius, mGrid.CentreX(), mGrid.CentreY());
  }
  return mTransformValid;
}

QPointF TAQVGridView::Point(int node) const {
  // Unrounded, so that the antialiased lines meet where the mesh's edges meet.
  const TMeshNode& n = mGrid.Node(node);
  return {mTransform.PixelCentreX + (n.X - mTransform.CentreX) * mTransform.Scale,
          mTransform.PixelCentreY - (n.Y - mTransform.CentreY) * mTransform.Scale};
}

void TAQVGridView::Redraw() {
  PreparePicture();
  mNodesDrawn = 0;
  mTrianglesDrawn = 0;
  mMeshDrawn = false;
  const bool showMesh = mGrid.MeshValid();
  if ((!showMesh && !mGrid.Busy()) || !UpdateTransform()) return;
  QPainter painter(&mPicture);
  painter.setRenderHint(QPainter::Antialiasing);
  if (showMesh) {
    DrawMesh(painter);
    DrawWells(painter);
    mMeshDrawn = true;
  } else {
    DrawTriangles(painter, 0, mGrid.Triangles().size());
    DrawNodes(painter, 1, mGrid.NodeCount());
    mTrianglesDrawn = mGrid.Triangles().size();
    mNodesDrawn = mGrid.NodeCount();
  }
}

void TAQVGridView::Refresh() {
  const bool sizeChanged = mPicture.size() != QSize(qRound(width() * devicePixelRatioF()),
                                                    qRound(height() * devicePixelRatioF()));
  if (mGrid.MeshValid()) {
    if (!mMeshDrawn || sizeChanged) Redraw();
  } else if (mGrid.Busy()) {
    // A new generation (fewer nodes than drawn) or a new size starts the picture afresh;
    // otherwise only what is new since the last step is drawn.
    if (mMeshDrawn || !mTransformValid || sizeChanged || mGrid.NodeCount() < mNodesDrawn ||
        mGrid.Triangles().size() < mTrianglesDrawn) {
      Redraw();
    } else {
      QPainter painter(&mPicture);
      painter.setRenderHint(QPainter::Antialiasing);
      DrawTriangles(painter, mTrianglesDrawn, mGrid.Triangles().size());
      DrawNodes(painter, mNodesDrawn + 1, mGrid.NodeCount());
      mTrianglesDrawn = mGrid.Triangles().size();
      mNodesDrawn = mGrid.NodeCount();
    }
  } else if (mMeshDrawn || mNodesDrawn > 0 || mTrianglesDrawn > 0 || sizeChanged) {
    // Failed or cancelled: no part of a mesh that cannot be saved stays on screen.
    Redraw();
  }
  repaint();
}

void TAQVGridView::DrawNodes(QPainter& painter, int first, int last) const {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kNodeColor);
  for (int node = first; node <= last; ++node)
    painter.drawEllipse(Point(node), kNodeRadius, kNodeRadius);
}

void TAQVGridView::DrawTriangles(QPainter& painter, std::size_t first, std::size_t last) const {
  if (first >= last) return;
  const auto& triangles = mGrid.Triangles();
  QVector<QLineF> lines;
  lines.reserve(static_cast<qsizetype>(3 * (last - first)));
  for (std::size_t t = first; t < last; ++t) {
    const QPointF a = Point(triangles[t][0]), b = Point(triangles[t][1]),
                  c = Point(triangles[t][2]);
    lines.append({a, b});
    lines.append({b, c});
    lines.append({c, a});
  }
  painter.setPen(QPen(kMeshColor, 0));
  painter.drawLines(lines);
}

void TAQVGridView::DrawMesh(QPainter& painter) const {
  // Every node-neighbour pair once: the neighbour lists hold each edge at both ends.
  QVector<QLineF> lines;
  lines.reserve(3 * mGrid.NodeCount());
  for (int node = 1; node <= mGrid.NodeCount(); ++node) {
    const TMeshNode& n = mGrid.Node(node);
    for (int k = 0; k < n.NeighbourCount; ++k) {
      const int other = n.Neighbours[static_cast<std::size_t>(k)];
      if (other > node) lines.append({Point(node), Point(other)});
    }
  }
  painter.setPen(QPen(kMeshColor, 0));
  painter.drawLines(lines);
  QPolygonF boundary;
  for (int node = 1; node <= mGrid.BoundaryNodeCount(); ++node) boundary.append(Point(node));
  painter.setPen(QPen(kBoundaryColor, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(boundary);
}

void TAQVGridView::DrawWells(QPainter& painter) const {
  painter.setPen(QPen(Qt::black, 0.8));
  const auto mark = [&](int node, const QColor& color) {
    if (node < 1 || node > mGrid.NodeCount()) return;
    painter.setBrush(color);
    painter.drawEllipse(Point(node), kWellRadius, kWellRadius);
  };
  for (int well = 1; well <= kMaxObservationWells; ++well)
    mark(mGrid.ObservationWellNode(well), kObservationWellColor);
  for (int well = 1; well <= kMaxPumpingWells; ++well)
    mark(mGrid.PumpingWellNode(well), kPumpingWellColor);
}

void TAQVGridView::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  if (mPicture.isNull()) {
    painter.fillRect(event->rect(), kBackgroundColor);
    return;
  }
  painter.drawImage(QPoint(0, 0), mPicture);
  // The part of the control the picture does not cover yet (during a resize).
  const QSizeF covered = mPicture.deviceIndependentSize();
  if (covered.width() < width())
    painter.fillRect(QRectF(covered.width(), 0, width() - covered.width(), height()),
                     kBackgroundColor);
  if (covered.height() < height())
    painter.fillRect(QRectF(0, covered.height(), width(), height() - covered.height()),
                     kBackgroundColor);
}

void TAQVGridView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  mTransformValid = false;
  Redraw();
}

}  // namespace aqv
