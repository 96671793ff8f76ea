#include "editor/SpeedSlider.h"

#include <algorithm>
#include <cmath>

SpeedSlider::SpeedSlider(double minimum, double maximum, double value, QWidget* parent)
    : QSlider(Qt::Horizontal, parent), min_(minimum), max_(maximum), value_(value) {
    setRange(int(std::lround(minimum * kStep)), int(std::lround(maximum * kStep)));
    setDoubleValue(value);
    connect(this, &QSlider::valueChanged, this, [this](int v) {
        if (setting_)
            return;
        value_ = v / kStep;
        if (onDoubleValueChanged)
            onDoubleValueChanged(value_);
        if (onValueChanged)
            onValueChanged();
    });
}

void SpeedSlider::setDoubleValue(double v) {
    // Never 0 or below: playback's period is 1 / (6 × value).
    if (!std::isfinite(v))
        v = 1;
    value_ = std::clamp(v, min_, max_);
    setting_ = true;
    setValue(int(std::lround(value_ * kStep)));
    setting_ = false;
    if (onDoubleValueChanged)
        onDoubleValueChanged(value_);
}
