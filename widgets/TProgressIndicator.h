#pragma once
// A progress bar.

#include "widgets/TControl.h"

#include <cstdint>

class TProgressIndicator : public TControl {
public:
    TProgressIndicator();

    // At x 15 (x is not used), the given y and width, one scroll-bar arrow high.
    bool create(int x, int y, int width, TWidget* parentWidget);
    void setRange(std::uint16_t minimum, std::uint16_t maximum);
    void setStep(int step);
};
