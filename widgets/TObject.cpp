#include "widgets/TObject.h"

#include <atomic>

namespace {

std::uint32_t nextObjectId() {
    static std::atomic<std::uint32_t> counter{0};
    return ++counter;
}

}  // namespace

TObject::TObject() : id(nextObjectId()) {}

TObject::~TObject() = default;

void TObject::setKind(int newKind, int newSubkind) {
    kind = newKind;
    subkind = newSubkind;
}

void TObject::clearKind() { setKind(kindNone, typeNone); }

bool TObject::isSubkind(int type) const { return subkind == type; }
