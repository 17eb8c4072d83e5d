#include "widgets/TWidgetImp.h"

TWidgetImp::~TWidgetImp() = default;
