#pragma once

#include <QImage>
#include <QWidget>
#include <cstddef>

#include "app/AQVGrid.h"

class QPainter;

namespace aqv {

// The mesh control of the model-generator dialog: owns the mesh generator and shows its work.
// While a generation runs, Refresh draws the nodes and triangles made since its last call into
// an off-screen picture, so that a progress step costs only its new part; once the mesh is
// valid the whole mesh after smoothing is drawn, with the pumping-well nodes in red and the
// observation-well nodes in blue. An invalid mesh that is not being generated (never generated,
// failed or cancelled) shows an empty area. Coordinates map through TMeshTransform: one scale
// for both axes, the hexagon fitted with 2-pixel margins, y upwards.
class TAQVGridView : public QWidget {
  Q_OBJECT

 public:
  explicit TAQVGridView(QWidget* parent = nullptr);

  TAQVGrid& Grid() { return mGrid; }
  const TAQVGrid& Grid() const { return mGrid; }

  // Forgets the picture; the next Refresh starts from an empty area. Called before a
  // generation.
  void Restart();
  // Brings the picture up to date with the generator and repaints at once (also in the middle
  // of a generation, from its progress handler).
  void Refresh();

  // The picture as drawn, at the control's size in device pixels.
  const QImage& Picture() const { return mPicture; }
  // How many nodes and triangles the picture shows while a generation runs.
  int NodesDrawn() const { return mNodesDrawn; }
  std::size_t TrianglesDrawn() const { return mTrianglesDrawn; }
  // Whether the picture shows the finished mesh.
  bool MeshDrawn() const { return mMeshDrawn; }

  QSize sizeHint() const override { return {747, 400}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Draws everything anew from the generator's state.
  void Redraw();
  void PreparePicture();
  bool UpdateTransform();
  QPointF Point(int node) const;
  void DrawNodes(QPainter& painter, int first, int last) const;
  void DrawTriangles(QPainter& painter, std::size_t first, std::size_t last) const;
  void DrawMesh(QPainter& painter) const;
  void DrawWells(QPainter& painter) const;

  TAQVGrid mGrid;
  QImage mPicture;
  TMeshTransform mTransform;
  bool mTransformValid = false;
  int mNodesDrawn = 0;
  std::size_t mTrianglesDrawn = 0;
  bool mMeshDrawn = false;
};

}  // namespace aqv
