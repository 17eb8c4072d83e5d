#include "widgets/TCertificatesList.h"

#include <dravik/dravik.h>

#include <new>

TCertificatesList::TCertificatesList() : names(std::make_unique<std::vector<std::string>>()) {}

TCertificatesList::~TCertificatesList() = default;

void TCertificatesList::add(std::string name) { names->push_back(std::move(name)); }

int TCertificatesList::addCertificateCallback(const char* name, void* list) {
    if (!name || !list) return 1;
    try {
        static_cast<TCertificatesList*>(list)->add(name);
    } catch (const std::bad_alloc&) {
        return 0;  // no room for more names: stop the walk rather than throw through the library
    }
    return 1;
}

std::vector<std::string>* TCertificatesList::fill(std::string directory, bool flag) {
    CADB_by_dir(directory.c_str(), DRAVIK_WALK_FILES + (flag ? 1 : 0), &TCertificatesList::addCertificateCallback,
                this);
    return names.get();
}
