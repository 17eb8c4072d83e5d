#include "widgets/TApplicationImp.h"

TApplicationImp::~TApplicationImp() = default;
