#pragma once
// The root of every toolkit object: its link in the process-wide registry of
// live objects, its process-wide id, and what it is once it is on screen.

#include <cstdint>

// TObject::kind values.
enum TObjectKind : std::int32_t {
    kindNone = 0,
    kindModalDialog = 1,  // a dialog being shown modally
    kindControl = 2,      // a control created on screen
};

// TObject::subkind values: the control type of an object on screen.
enum TControlType : std::int32_t {
    typeNone = 0,
    typeDialog = 1,
    typePushButton = 2,
    typeCheckBox = 3,
    typeEdit = 5,
    typePassword = 7,
    typeStatic = 8,  // texts and icons
    typeListBox = 9,  // no toolkit class makes one; recognised in notifications
    typeComboBox = 12,
    typeListView = 17,
    typeTreeView = 18,
    typeProgressBar = 19,
};

class TObject {
public:
    // Takes the next id of the process (the first object gets 1; ids are never reused).
    TObject();
    virtual ~TObject();
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    void setKind(int newKind, int newSubkind);
    void clearKind();
    bool isSubkind(int type) const;

    // Link of the registry list; the registry alone writes it.
    TObject* next = nullptr;
    const std::uint32_t id;
    std::int32_t kind = kindNone;
    std::int32_t subkind = typeNone;
};
