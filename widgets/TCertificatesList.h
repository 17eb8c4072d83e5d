#pragma once
// Collects the names dravik's CA-database walker reports for a folder.
//
//   TCertificatesList list;
//   CADB_by_dir(folder, 64, &TCertificatesList::addCertificateCallback, &list);
//   for (const std::string& name : *list.names) ...

#include <memory>
#include <string>
#include <vector>

class TCertificatesList {
public:
    TCertificatesList();
    virtual ~TCertificatesList();
    TCertificatesList(const TCertificatesList&) = delete;
    TCertificatesList& operator=(const TCertificatesList&) = delete;

    void add(std::string name);
    // The walker's callback (dravik's DravikWalkCallback): list is the
    // TCertificatesList given to the walk. Appends a copy of the name and
    // answers 1 (go on); with a null list or name it only answers 1.
    static int addCertificateCallback(const char* name, void* list);
    // Walks the folder with 64 + flag and answers the names collected.
    std::vector<std::string>* fill(std::string directory, bool flag);

    std::unique_ptr<std::vector<std::string>> names;
};
