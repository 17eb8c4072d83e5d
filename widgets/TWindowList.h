#pragma once
// The registry of live toolkit objects: every widget is listed from its
// construction to its destruction. It exists before any code runs and is
// used from one thread at a time (the thread that shows the dialogs).

#include "widgets/TObjectManager.h"

class TWindowList : public TObjectManager {
public:
    constexpr TWindowList() = default;
    // Forgets the entries: the objects belong to their creators.
    ~TWindowList() override;
};

extern TWindowList objectManager;

// The registry's list operations as the widgets use them.
TObject* objectListHead();
void objectListAppend(TObject* object);
bool objectListRemove(TObject* object);
TObject* objectListFind(TObject* object);
