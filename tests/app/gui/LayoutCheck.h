#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>

#include "chart/gui/MyChart.h"
#include "controls/WindowSizing.h"

namespace aqv::test {

// What a person's eye checks on a window that is shown and laid out, one rule per step below:
// every visible control lies inside the part of its parent that holds controls (below a group
// box's title, within a frame) at no less than its least size, apart from its siblings; labels
// stand by their fields and every field has a caption; scroll bars and texts show whole.
// Descends into containers, the current page of tab and stacked widgets, the parts of a splitter
// and the contents of a scroll area; a control with its own inner widgets (a spin box, a chart,
// a grid) is checked as one piece.
class TLayoutCheck {
 public:
  // Returns one line per fault, naming the controls by their object names or texts. promised
  // gives, by object name, the least size the window promises a control whatever its own
  // minimum says.
  static QStringList Faults(const QWidget* root, const QHash<QString, QSize>& promised = {}) {
    TLayoutCheck check;
    check.mPromised = promised;
    check.Container(root);
    check.Buddies(root);
    check.Captions(root);
    check.Strays(root);
    check.ScrollBars(root);
    check.Title(root);
    check.CutLabels(root);
    check.CrowdedTickLabels(root);
    return check.mFaults;
  }

 private:
  static QString Name(const QWidget* w) {
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(w)) text = box->title();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                             : w->objectName();
    if (!text.isEmpty()) name += QStringLiteral(" \"%1\"").arg(text);
    return name;
  }
  static QString RectText(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
  }
  // Where w lies in root's coordinates.
  static QRect InRoot(const QWidget* w, const QWidget* root) {
    return {w->mapTo(root, QPoint(0, 0)), w->size()};
  }
  // Adds a fault, its text with each %n replaced by the next of args.
  template <typename... TArgs>
  void Fault(QString text, const TArgs&... args) {
    ((text = text.arg(args)), ...);
    mFaults << text;
  }

  // Whether w is a plain container: a bare widget, frame or group box.
  static bool IsPlain(const QWidget* w) {
    const QMetaObject* kind = w->metaObject();
    return kind == &QWidget::staticMetaObject || kind == &QFrame::staticMetaObject ||
           kind == &QGroupBox::staticMetaObject;
  }

  // The visible child controls of container that its own layout or code places.
  static QList<QWidget*> Controls(const QWidget* container) {
    QList<QWidget*> controls;
    // The size grip sits in the corner over the rest by design.
    for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (!w->isWindow() && w->isVisibleTo(container) &&
          qobject_cast<QSplitterHandle*>(w) == nullptr && qobject_cast<QSizeGrip*>(w) == nullptr)
        controls.append(w);
    return controls;
  }

  // The smallest size at which a control still shows what it holds: its own minimum where it
  // has one, else its minimum size hint unless its size policy lets it shrink to nothing.
  QSize Least(const QWidget* w) const {
    // A status bar's panels take their widths from the window by a rule of their own, and its
    // last panel ends where the window does.
    if (qobject_cast<const QStatusBar*>(w) != nullptr) return {};
    QSize least = w->minimumSizeHint().expandedTo(QSize(0, 0));
    if (w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored) least.setWidth(0);
    if (w->sizePolicy().verticalPolicy() == QSizePolicy::Ignored) least.setHeight(0);
    if (w->minimumWidth() > 0) least.setWidth(w->minimumWidth());
    if (w->minimumHeight() > 0) least.setHeight(w->minimumHeight());
    return least.expandedTo(mPromised.value(w->objectName()));
  }

  void Container(const QWidget* container) {
    const auto* tabs = qobject_cast<const QTabWidget*>(container);
    const auto* stack = qobject_cast<const QStackedWidget*>(container);
    if (tabs != nullptr || stack != nullptr) {
      const QWidget* page = tabs != nullptr ? tabs->currentWidget() : stack->currentWidget();
      if (page != nullptr) Container(page);
      return;
    }
    if (const auto* scroll = qobject_cast<const QScrollArea*>(container)) {
      const QWidget* content = scroll->widget();
      if (content == nullptr) return;
      // Content larger than what shows is fine only where a scroll bar can bring it in.
      const QSize shown = scroll->viewport()->size();
      if ((scroll->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff &&
           content->width() > shown.width()) ||
          (scroll->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff &&
           content->height() > shown.height()))
        Fault("%1 %2 is cut off in %3 showing %4x%5", Name(content), RectText(content->geometry()),
              Name(scroll), shown.width(), shown.height());
      Container(content);
      return;
    }
    // A plain container without a layout has its controls placed by code, which may misplace
    // them just the same; any other widget without one is a control drawn as one piece.
    if (container->layout() == nullptr && qobject_cast<const QSplitter*>(container) == nullptr &&
        !IsPlain(container))
      return;
    const QList<QWidget*> controls = Controls(container);
    const QRect room = container->contentsRect();
    // The panels of a status bar (see Least) need only not overlap.
    const bool bar = qobject_cast<const QStatusBar*>(container) != nullptr;
    for (const QWidget* w : controls) {
      const QSize least = Least(w);
      if (!bar && !room.contains(w->geometry()))
        Fault("%1 %2 sticks out of %3 %4", Name(w), RectText(w->geometry()), Name(container),
              RectText(room));
      if (!bar && (w->width() < least.width() || w->height() < least.height()))
        Fault("%1 %2 is squeezed below its least size %3x%4", Name(w), RectText(w->geometry()),
              least.width(), least.height());
    }
    for (int i = 0; i < controls.size(); ++i)
      for (int j = i + 1; j < controls.size(); ++j)
        if (controls[i]->geometry().intersects(controls[j]->geometry()))
          Fault("%1 %2 overlaps %3 %4 in %5", Name(controls[i]), RectText(controls[i]->geometry()),
                Name(controls[j]), RectText(controls[j]->geometry()), Name(container));
    for (const QWidget* w : controls)
      if (qobject_cast<const QAbstractScrollArea*>(w) == nullptr ||
          qobject_cast<const QScrollArea*>(w) != nullptr)
        Container(w);
  }

  // A label's buddy sits on the label's row, a few characters away (their vertical extents share
  // the label's middle), or, as a caption above or below it, in its column (their horizontal
  // extents share the label's middle, less than a label's height apart).
  void Buddies(const QWidget* root) {
    for (const QLabel* label : root->findChildren<QLabel*>()) {
      const QWidget* buddy = label->buddy();
      if (buddy == nullptr || !label->isVisibleTo(root) || !buddy->isVisibleTo(root)) continue;
      const QRect l = InRoot(label, root), b = InRoot(buddy, root);
      const bool inColumn = l.center().x() >= b.left() && l.center().x() <= b.right() &&
                            std::max(b.top() - l.bottom(), l.top() - b.bottom()) < l.height();
      if (!OnRow(l, b) && !inColumn)
        Fault("%1 %2 is neither on the row nor in the column of its field %3 %4", Name(label),
              RectText(l), Name(buddy), RectText(b));
    }
  }

  // Whether a label at l stands on the row of the control at c: their vertical extents share
  // the label's middle, on either side a few characters away.
  static bool OnRow(const QRect& l, const QRect& c) {
    const int gap = std::max(c.left() - l.right(), l.left() - c.right());
    return l.center().y() >= c.top() && l.center().y() <= c.bottom() && gap < 4 * l.height();
  }

  // Whether a label at l captions the control at c: on its row, or above it, overlapping its
  // column and less than two lines of text away.
  static bool IsCaptionOf(const QRect& l, const QRect& c) {
    return OnRow(l, c) || (l.right() >= c.left() && l.left() <= c.right() &&
                           l.bottom() <= c.top() && c.top() - l.bottom() < 2 * l.height());
  }

  // A field says what it holds by a caption (IsCaptionOf). A field inside another control (a
  // spin box's line, a grid's editor) belongs to that control; the one field of a window has the
  // window's title for its caption.
  void Captions(const QWidget* root) {
    const auto isField = [](const QWidget* w) {
      return qobject_cast<const QLineEdit*>(w) != nullptr ||
             qobject_cast<const QAbstractSpinBox*>(w) != nullptr ||
             qobject_cast<const QComboBox*>(w) != nullptr ||
             (qobject_cast<const QAbstractItemView*>(w) != nullptr && w->inherits("QListView"));
    };
    QList<const QWidget*> fields;
    for (const QWidget* field : root->findChildren<QWidget*>()) {
      if (!isField(field) || !field->isVisibleTo(root)) continue;
      bool inner = false;
      for (const QWidget* p = field->parentWidget(); p != nullptr && p != root;
           p = p->parentWidget())
        inner =
            inner || isField(p) ||
            (qobject_cast<const QAbstractScrollArea*>(p) != nullptr &&
             qobject_cast<const QScrollArea*>(p) == nullptr);  // a page that scrolls is no control
      if (!inner) fields << field;
    }
    if (fields.size() == 1 && root->isWindow()) return;
    const QList<QLabel*> labels = root->findChildren<QLabel*>();
    for (const QWidget* field : fields) {
      const QRect f = InRoot(field, root);
      const bool captioned = std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
        if (label->text().trimmed().isEmpty() || !label->isVisibleTo(root)) return false;
        // A caption stands in the field's own group, not in the one beside it; one that names
        // the field as its buddy may stand below it as well (the buddy rule places it).
        if (label->parentWidget() != field->parentWidget()) return false;
        if (label->buddy() == field) return true;
        return IsCaptionOf(InRoot(label, root), f);
      });
      if (!captioned)
        Fault("%1 %2 has no caption on its row or above it", Name(field), RectText(f));
    }
  }

  // A caption says what a control beside it or below it holds: a caption left standing where
  // its control is hidden or was placed elsewhere names nothing.
  void Strays(const QWidget* root) {
    const auto isCaption = [](const QWidget* w) {
      const auto* label = qobject_cast<const QLabel*>(w);
      return label != nullptr && label->text().trimmed().endsWith(QLatin1Char(':'));
    };
    QList<const QWidget*> controls;  // a label that shows a sample is a control here
    for (const QWidget* w : root->findChildren<QWidget*>())
      if (!isCaption(w) && w->isVisibleTo(root) && !IsPlain(w)) controls << w;
    for (const QLabel* label : root->findChildren<QLabel*>()) {
      if (!isCaption(label) || !label->isVisibleTo(root)) continue;
      const QRect l = InRoot(label, root);
      const bool names = std::any_of(controls.begin(), controls.end(), [&](const QWidget* w) {
        if (w->isAncestorOf(label)) return false;  // a tab widget around it, say
        return IsCaptionOf(l, InRoot(w, root));
      });
      if (!names) Fault("%1 %2 names no control", Name(label), RectText(l));
    }
  }

  // A scroll bar under the edge of an outer scroll area would come in only by scrolling.
  void ScrollBars(const QWidget* root) {
    for (const QScrollBar* bar : root->findChildren<QScrollBar*>()) {
      if (!bar->isVisibleTo(root)) continue;
      const QRect whole = InRoot(bar, root);
      QRect shown = whole;
      for (const QWidget* w = bar; w != root; w = w->parentWidget())
        shown &= InRoot(w->parentWidget(), root);
      if (shown != whole)
        Fault("a scroll bar of %1 %2 shows only %3", Name(bar->parentWidget()->parentWidget()),
              RectText(whole), RectText(shown));
    }
  }

  // The frame's title carries the document's path, which its title bar may shorten; a dialog's
  // title is its own text and shows whole.
  void Title(const QWidget* root) {
    if (root->isWindow() && qobject_cast<const QMainWindow*>(root) == nullptr &&
        root->width() < TitleBarWidth(*root))
      Fault("the title \"%1\" needs %2 px, the window is %3 px wide", root->windowTitle(),
            TitleBarWidth(*root), root->width());
  }

  // A label that does not wrap shows each line of its text whole.
  void CutLabels(const QWidget* root) {
    for (const QLabel* label : root->findChildren<QLabel*>()) {
      if (!label->isVisibleTo(root) || label->wordWrap() || label->textFormat() == Qt::RichText ||
          Qt::mightBeRichText(label->text()))
        continue;
      QString text = label->text();
      if (label->buddy() != nullptr)  // "&x" shows as an underlined x
        text.replace(QRegularExpression(QStringLiteral("&(.)")), "\\1");
      int needed = 0;
      for (const QString& line : text.split(QLatin1Char('\n')))
        needed = std::max(needed, label->fontMetrics().horizontalAdvance(line));
      if (needed > label->contentsRect().width())
        Fault("%1 needs %2 px for its text and shows %3", Name(label), needed,
              label->contentsRect().width());
    }
  }

  // The tick labels a time graph draws at its present size (of any axis, at one angle) do not
  // overlap.
  void CrowdedTickLabels(const QWidget* root) {
    for (TMyChart* chart : root->findChildren<TMyChart*>()) {
      if (!chart->isVisibleTo(root)) continue;
      chart->grab();
      const std::vector<TTickLabelBox>& boxes = chart->TickLabels();
      for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
          if (boxes[i].Angle == boxes[j].Angle && TickLabelsCrowd(boxes[i], boxes[j], 0))
            Fault("tick labels at (%1,%2) and (%3,%4) of %5 overlap", boxes[i].X, boxes[i].Y,
                  boxes[j].X, boxes[j].Y, Name(chart));
    }
  }

  QHash<QString, QSize> mPromised;
  QStringList mFaults;
};

}  // namespace aqv::test
