#include "widgets/TWindowList.h"

TWindowList::~TWindowList() { reset(); }

// The constexpr constructor makes this constant initialisation: the list
// exists before any static initialiser could make a widget.
TWindowList objectManager;

TObject* objectListHead() { return objectManager.head(); }

void objectListAppend(TObject* object) { objectManager.add(object, false); }

bool objectListRemove(TObject* object) { return objectManager.remove(object, false); }

TObject* objectListFind(TObject* object) { return objectManager.find(object); }
