// A picture-box control: a twips surface that keeps its picture, so drawing may happen at any
// time (not only while the window system asks for a repaint) and the control shows what was
// drawn last. Child controls placed on it overlay the picture and never become part of it.
#pragma once

#include "ImageTarget.h"

#include <QWidget>

namespace qv::ui {

class CanvasWidget : public QWidget {
  public:
    explicit CanvasWidget(QWidget* parent = nullptr);

    // The surface; it takes the control's size at the next drawing call or Cls.
    DrawTarget& Target() { return target_; }
    // The picture as drawn so far, without the child controls.
    QImage Picture();
    // The back colour of the surface and of the control.
    void SetBackColor(int32_t color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    class Surface : public ImageTarget {
      public:
        explicit Surface(CanvasWidget& owner) : owner_(owner) {}
        double ScaleWidth() const override;
        double ScaleHeight() const override;
        void Follow();

      protected:
        void BeforeOpen() override;
        void PaintClear(int32_t backColor) override;

      private:
        CanvasWidget& owner_;
    };

    Surface target_;
};

}  // namespace qv::ui
