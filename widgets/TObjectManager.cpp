#include "widgets/TObjectManager.h"

#include "widgets/TObject.h"

TObjectManager::~TObjectManager() { TObjectManager::clear(); }

void TObjectManager::clear() {
    while (TObject* first = head_) {
        TObjectManager::remove(first, false);
        delete first;
    }
}

TObject* TObjectManager::find(TObject* object) const {
    if (!object) return nullptr;
    for (TObject* at = head_; at; at = at->next)
        if (at == object) return at;
    return nullptr;
}

void TObjectManager::reset() {
    head_ = nullptr;
    tail_ = nullptr;
    count_ = 0;
}

bool TObjectManager::remove(TObject* object, bool destroy) {
    if (!object) return false;
    bool found = false;
    TObject* previous = nullptr;
    for (TObject* at = head_; at; previous = at, at = at->next) {
        if (at != object) continue;
        if (at == head_) head_ = at->next;
        if (at == tail_) tail_ = previous;
        if (previous) previous->next = at->next;
        at->next = nullptr;
        --count_;
        found = true;
        break;
    }
    if (destroy) delete object;
    return found;
}

void TObjectManager::add(TObject* object, bool atFront) {
    if (!object) return;
    if (!head_) {
        object->next = nullptr;
        head_ = tail_ = object;
    } else if (atFront) {
        object->next = head_;
        head_ = object;
    } else {
        object->next = nullptr;
        tail_->next = object;
        tail_ = object;
    }
    ++count_;
}
