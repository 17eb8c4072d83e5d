#include "widgets/TWindowEvent.h"

TWindowEvent::~TWindowEvent() {
    widget = nullptr;
    code = 0;
    param1 = 0;
    param2 = 0;
}
