#pragma once
// A singly linked list of toolkit objects through TObject::next. It does not
// own what it lists unless told to delete (remove with destroy, clear, and a
// plain manager's destructor).

#include <cstdint>

class TObject;

class TObjectManager {
public:
    constexpr TObjectManager() = default;
    // Deletes every listed object, then empties the list.
    virtual ~TObjectManager();
    TObjectManager(const TObjectManager&) = delete;
    TObjectManager& operator=(const TObjectManager&) = delete;

    // Deletes every listed object; their destructors may unlist further
    // objects, so the walk always takes the current head.
    virtual void clear();
    // The same pointer when it is listed, else null.
    virtual TObject* find(TObject* object) const;
    // Forgets every entry without deleting any.
    virtual void reset();
    // Unlinks the object (true when it was listed); with destroy set the
    // object is then deleted whether or not it was listed.
    virtual bool remove(TObject* object, bool destroy);
    // Links the object after the tail, or before the head with atFront set.
    virtual void add(TObject* object, bool atFront);

    TObject* head() const { return head_; }
    TObject* tail() const { return tail_; }
    std::uint32_t count() const { return count_; }

private:
    TObject* head_ = nullptr;
    TObject* tail_ = nullptr;
    std::uint32_t count_ = 0;
};
