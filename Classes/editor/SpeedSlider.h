#pragma once

#include <QSlider>

// A horizontal slider of a real value. It keeps the exact value it was given; a drag sets it in
// steps of 0.01.
class SpeedSlider : public QSlider {
public:
    SpeedSlider(double minimum, double maximum, double value, QWidget* parent = nullptr);
    double doubleValue() const { return value_; }
    void setDoubleValue(double v);
    double minimumValue() const { return min_; }
    double maximumValue() const { return max_; }
    // Called when the user changes the value (not when the program sets it).
    std::function<void()> onValueChanged;
    // Called whenever the value changes, by the user or the program (what shows it follows).
    std::function<void(double)> onDoubleValueChanged;

private:
    static constexpr double kStep = 100;
    double min_, max_, value_;
    bool setting_ = false;
};
