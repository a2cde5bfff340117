// Checks of a laid-out window for what a user would see as faults: grid cells, captions, button
// texts and frame titles drawn cut short, cells beyond a grid's visible width, and controls drawn
// over each other or over a frame's caption.
#pragma once

#include <QRect>
#include <QString>
#include <QStringList>

class QGroupBox;
class QWidget;

namespace qv::ui {
class FlexGrid;
}

namespace qv::test {

// "row,col 'text' needs N of M" for every cell whose text the grid draws shortened: wider, in
// the grid's font, than the room the view leaves it within the columns it spans (hidden
// columns aside).
QStringList CutCells(const ui::FlexGrid& grid);

// The cells that end beyond the grid's visible width: the grid must scroll to show them.
QStringList CellsOutOfView(const ui::FlexGrid& grid);

// The shown controls in the tree from `root` (itself included) whose text is cut: a push
// button's line wider than the button less its margins, a check box or option button narrower
// than its box and text, a frame's title beyond the frame, a label's text beyond the label, and
// any control reaching out of its parent.
QStringList CutCaptions(const QWidget& root);

// The cut captions of the tree and the cut cells of its shown grids.
QStringList CutTexts(const QWidget& root);

// What a user sees of a control, in its parent's coordinates: a label's text, a check box's
// or option button's box and text, the whole of any other control.
QRect InkRect(const QWidget* w);

// A control's class and text, for failure messages.
QString Describe(const QWidget* w);

// The band across the top of a titled frame that its caption and line take: from the frame's
// top down to the lower of the caption's box and the start of the contents. Empty untitled.
QRect CaptionArea(const QGroupBox& frame);

// Every pair of shown sibling controls whose visible parts cross, and every control reaching
// into the caption area of its frame, looking into the window's frames (group boxes) but not
// into the inner parts of grids, lists or the graph.
QStringList Overlaps(const QWidget* container);

}  // namespace qv::test
