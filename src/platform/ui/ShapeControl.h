// A shape control: a filled figure with a border, used for the status lamps.
#pragma once

#include <QWidget>
#include <cstdint>

namespace qv::ui {

class ShapeControl : public QWidget {
  public:
    enum class Shape { Rectangle, Circle };
    explicit ShapeControl(QWidget* parent = nullptr, Shape shape = Shape::Circle);

    int32_t BackColor() const { return backColor_; }
    void SetBackColor(int32_t value);
    int32_t BorderColor() const { return borderColor_; }
    void SetBorderColor(int32_t value);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Shape shape_;
    int32_t backColor_ = 0xFFFFFF;
    int32_t borderColor_ = 0;
};

}  // namespace qv::ui
